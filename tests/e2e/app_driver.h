// Runs a real application binary under the test's X server and plays the
// user: finds its windows, sends keys and clicks with xdotool, sends the
// window manager's close request, reads screen pixels, waits for its exit.
#pragma once

// GoogleTest first: Xlib's None and Bool macros would break its templates.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

class AppDriver {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;
    // Starts `binary` in `workdir` with the x11 backend on $DISPLAY and the
    // extra environment variables `env`.
    AppDriver(const std::string &binary, const std::string &workdir, const Environment &env = {});
    ~AppDriver();  // kills the process if it still runs

    // The X window titled `title`, waiting up to `timeout_ms`; 0 if none.
    unsigned long find_window(const std::string &title, int timeout_ms = 5000);
    // Screen geometry of a window (no window manager: its own position).
    bool geometry(unsigned long window, int *x, int *y, int *w, int *h);
    // xdotool key names, e.g. "x", "ctrl+h", "KP_8", "space"; sent to the focused window.
    void keys(const std::string &names);
    void click(int screen_x, int screen_y);
    // WM_DELETE_WINDOW, as a window manager's close box sends it.
    void close_window(unsigned long window);
    // Screen pixel as 0x00RRGGBB.
    uint32_t pixel(int screen_x, int screen_y);
    // Screen pixels of a rectangle as 0x00RRGGBB, row by row, read at one
    // moment (a scan pixel by pixel can straddle two frames); empty on failure.
    std::vector<uint32_t> pixels(int screen_x, int screen_y, int width, int height);
    // True when `pred` holds within `timeout_ms`, re-checked every 20 ms.
    template <class Pred>
    bool eventually(Pred pred, int timeout_ms = 3000);
    // Waits for the process to end; its exit status, or -1 on timeout or a signal.
    int wait_exit(int timeout_ms = 5000);
    bool running();
    // Saves the screen as a PNG (for looking at it after a run).
    void screenshot(const std::string &path);

private:
    pid_t pid_ = -1;
    Display *display_ = nullptr;
};

double now_ms();
void sleep_ms(int ms);
// A new directory under TMPDIR (or /tmp); empty when none can be made.
std::string make_temp_dir();

template <class Pred>
bool AppDriver::eventually(Pred pred, int timeout_ms) {
    const double end = now_ms() + timeout_ms;
    do {
        if (pred()) return true;
        sleep_ms(20);
    } while (now_ms() < end);
    return pred();
}

}  // namespace e2e
