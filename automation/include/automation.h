// Automation of programs on the stand-in (not part of Win32), for tests,
// tools and telka-run: select the headless backend and drive it (virtual
// clock, injected input, hooks, frame dumps), read window pixels, PNG files,
// the state reset between tests, and steered runs: the STANDIN_HEADLESS_*
// settings read into one record, run control and text capture.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

// ---- backend selection ----

// Selects the headless backend for this process, whatever STANDIN_BACKEND
// says. Call it before the first window call; false when another backend is
// already running.
bool use_headless_backend();
bool headless_backend_active();

// ---- headless controls (they need the headless backend) ----

// Modifier and lock bits of key and button input, injected here and
// reported by every backend.
enum : unsigned {
    kKeyShift = 1u << 0,
    kKeyControl = 1u << 1,
    kKeyAlt = 1u << 2,
    kKeyCapsLock = 1u << 3,  // lock is on
    kKeyNumLock = 1u << 4,   // lock is on
};

// Screen size reported by GetSystemMetrics (default 1024 x 768).
void headless_set_screen_size(int width, int height);

// The virtual clock: starts at 0 and only moves when the program waits with a
// deadline (it jumps there) or when a test advances it.
int64_t headless_now_ns();
void headless_advance_clock(int64_t ns);

// Lock keys that every injected key and button event carries (kKeyCapsLock,
// kKeyNumLock).
void headless_set_locks(unsigned locks);

// Injected input is delivered in order, the next time the program asks for
// messages. Keys go to the focus window; `mods` are kKey* bits held down.
void headless_key_down(int vk, unsigned mods = 0);
void headless_key_repeat(int vk, unsigned mods = 0);  // auto-repeat of a key already down
void headless_key_up(int vk, unsigned mods = 0);
void headless_key_press(int vk, unsigned mods = 0);   // down, then up
// A key with an explicit scan code and extended flag (the defaults come from
// a US keyboard, navigation keys extended).
void headless_key_event(bool down, int vk, unsigned mods, int scan, bool extended, bool repeat = false);
// Types printable ASCII, '\n' (Enter), '\t', '\b' and ESC as key presses,
// with Shift presses around characters that need it. Returns false (after
// typing the rest) when a character has no key on a US keyboard.
bool headless_type_text(const char *text);

// Mouse buttons at client coordinates of `window` (a top-level or child
// window); button 1 is left, 3 right.
void headless_mouse_down(HWND window, int x, int y, int button = 1, unsigned mods = 0);
void headless_mouse_up(HWND window, int x, int y, int button = 1, unsigned mods = 0);
void headless_click(HWND window, int x, int y, int button = 1, unsigned mods = 0);
// Pointer motion over a top-level window's host surface.
void headless_mouse_move(HWND window, int host_x, int host_y);

// Window-manager events for a top-level window.
void headless_close_request(HWND window);
void headless_focus(HWND window, bool gained);
void headless_resize(HWND window, int width, int height);
// Host-surface pixels that the window system lost (host coordinates).
void headless_expose(HWND window, const RECT &host_rect);

size_t headless_pending_input();

// Called when the program waits with no deadline and nothing is injected. It
// may inject input, post messages or advance the clock; it returns false when
// it has nothing more to give, and the program then ends as if it had no hook:
// "headless: the program waits for input that will never come", exit code 3.
void headless_set_idle_hook(std::function<bool()> hook);
// Called at every blocking wait (deadline_ns -1: none) before the clock jumps
// or the idle hook runs; input it injects is delivered at once.
void headless_set_wait_hook(std::function<void(int64_t deadline_ns)> hook);

// Deadlines of the blocking waits since the last call (-1: no deadline); the
// newest few thousand are kept, like the presents below.
std::vector<int64_t> headless_take_waits();
// Host-surface rectangles presented for a top-level window since the last call.
std::vector<RECT> headless_take_presents(HWND window);

// Writes every presented frame as DIR/frame-NNNNNN-hostN.png (the whole host
// surface). Empty turns it off. STANDIN_HEADLESS_DUMP=DIR does the same; the
// other STANDIN_HEADLESS_ variables of backends/headless/README.md select
// frames of one window.
bool headless_set_dump_dir(const std::string &dir);
// Frames presented so far: of the window STANDIN_HEADLESS_WINDOW names, or of
// every window when it names none.
uint64_t headless_frame_count();

// Forgets injected input, hooks, logs and the dump directory (not the clock).
void headless_reset();

// ---- window pixels (any backend) ----

struct PixelView {
    const uint32_t *pixels = nullptr;  // top-left pixel, 0x00RRGGBB
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;              // pixels per row
    uint32_t at(int x, int y) const { return pixels[y * stride + x]; }
};

// The whole host surface of a top-level window: menu bar strip and client area.
bool window_host_pixels(HWND window, PixelView *view);
// A window's client area as far as it shows on its top-level window's surface
// (children are cut by their ancestors); false when it is hidden or its
// top-left pixel does not show.
bool window_client_pixels(HWND window, PixelView *view);
// One client pixel, 0x00RRGGBB; 0xFFFFFFFF where the client area does not show.
uint32_t window_pixel(HWND window, int x, int y);
// Writes a top-level window's host surface as a PNG.
bool write_window_png(HWND window, const std::string &path);

// Writes an opaque RGB PNG of 0x00RRGGBB pixels.
bool write_png(const std::string &path, const uint32_t *pixels, int width, int height, ptrdiff_t stride);

// Reads any PNG into 0x00RRGGBB pixels (alpha dropped); false on failure.
bool read_png(const std::string &path, std::vector<uint32_t> *pixels, int *width, int *height);

// ---- steered runs (telka-run sets the environment) ----

// Everything a steered run is asked for, read from the environment in one
// place (backends/headless/README.md lists the variables).
struct RunSettings {
    bool headless = false;     // STANDIN_BACKEND=headless
    std::string text_path;     // _TEXT: the text window's lines go there; empty: not captured
    std::string main_window;   // _WINDOW: title of the window closed at the end and whose frames
                               // are kept; empty: every top-level window
    std::string play_item;     // _PLAY_ITEM: label (before any tab) of the menu item chosen; empty: none
    double seconds = -1;       // _SECONDS: the program's time after which the run ends; -1: none
    uint64_t frame_limit = 0;  // _FRAMES: frames after which it ends and none is written; 0: none
    std::string dump_dir;      // _DUMP: frames are written there; empty: not written
    uint64_t dump_every = 1;   // _DUMP_EVERY: write frames every, 2 * every, ...; 0: none of them
    bool dump_last = false;    // _DUMP_LAST: write the last frame as last.png
};

// Reads the settings; a value that cannot be used gets one message on stderr
// and its default.
RunSettings run_settings_from_environment();

// Writes every line the program prints to its text window (handed out by
// OutputDebugStringA) into `path`, replaced; false, with a message, when the
// file cannot be made.
bool start_text_capture(const std::string &path);

// Ends the run as the settings say: chooses the play item at the first wait,
// and closes the main window when the item's check mark goes, after the time
// or the frames, or when the program waits for input that cannot come. Needs
// the headless backend (it drives the virtual clock).
void start_run_control(const RunSettings &settings);

// The process entry's start of a steered run: what the environment asks
// for, or nothing.
void start_automation();

// ---- test support ----

// Destroys every window, unregisters every class, kills every timer and
// clears the queue, the quit flag, focus and keyboard state; with the
// headless backend also headless_reset(). For test fixtures.
void reset_state();

}  // namespace standin
