// Key press to changed pixels on the X server, for the game: starts the game,
// waits for its title screen, sends a key with xdotool and polls the screen
// with XGetImage until the ready screen's status band shows. Prints each
// press and the median. Run under a display without a window manager:
//   tests/with-xvfb build/bin/key_latency [game-binary] [presses]
// It prints figures and asserts nothing.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// The game's window sits at the screen's top-left corner (no window manager);
// window point (x, y) is screen pixel (300 + x, 280 - y).
unsigned long pixel_at(Display *d, int x, int y) {
    XImage *image = XGetImage(d, DefaultRootWindow(d), 300 + x, 280 - y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFFul;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
}

bool wait_for(Display *d, int x, int y, unsigned long colour, double timeout_ms, double *when) {
    const double end = now_ms() + timeout_ms;
    while (now_ms() < end) {
        if (pixel_at(d, x, y) == colour) {
            *when = now_ms();
            return true;
        }
        usleep(200);
    }
    return false;
}

pid_t start_game(const std::string &binary, const std::string &dir) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        setenv("STANDIN_BACKEND", "x11", 1);
        execl(binary.c_str(), binary.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    return pid;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string given = argc > 1 ? argv[1] : "build/bin/telka-game";
    char *resolved = realpath(given.c_str(), nullptr);  // the game runs in a folder of its own
    if (!resolved) {
        std::fprintf(stderr, "key_latency: no game binary at %s\n", given.c_str());
        return 2;
    }
    const std::string binary = resolved;
    std::free(resolved);
    const int presses = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "key_latency: no X display (run it under tests/with-xvfb)\n");
        return 2;
    }
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/telka-latency-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const char *dir = mkdtemp(buf.data());
    if (!dir) {
        std::fprintf(stderr, "key_latency: cannot make a working folder under %s\n", pattern.c_str());
        return 2;
    }

    constexpr unsigned long kBlack = 0x000000, kBlue = 0x0000FF;
    std::vector<double> latencies;
    for (int i = 0; i < presses; ++i) {
        const pid_t pid = start_game(binary, dir);
        double t = 0;
        // The title screen: its blue border (the empty screen is black), and
        // black field where the ready screen has its blue band.
        if (!wait_for(d, -298, 0, kBlue, 5000, &t) || !wait_for(d, 0, 235, kBlack, 1000, &t)) {
            std::fprintf(stderr, "key_latency: the title screen did not appear\n");
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return 1;
        }
        // Keys go to the window under the pointer when no window manager runs.
        std::system("xdotool mousemove 300 300 >/dev/null 2>&1");
        usleep(100000 + 7919 * (i % 13));  // land at varied phases of the 50 ms tick
        const double sent = now_ms();
        std::system("xdotool key x >/dev/null 2>&1");
        double shown = 0;
        if (wait_for(d, 0, 235, kBlue, 2000, &shown)) {
            latencies.push_back(shown - sent);
            std::printf("press %2d: %6.1f ms\n", i + 1, shown - sent);
        } else {
            std::printf("press %2d: no change within 2 s (pixel %06lx)\n", i + 1, pixel_at(d, 0, 235));
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    XCloseDisplay(d);
    std::string rm = std::string("rm -rf '") + dir + "'";
    std::system(rm.c_str());
    if (latencies.empty()) return 1;
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies.size() % 2 ? latencies[latencies.size() / 2]
                                               : (latencies[latencies.size() / 2 - 1] + latencies[latencies.size() / 2]) / 2;
    std::printf("key press to changed pixels: median %.1f ms, min %.1f, max %.1f over %zu presses"
                " (from the start of xdotool)\n",
                median, latencies.front(), latencies.back(), latencies.size());
    return 0;
}
