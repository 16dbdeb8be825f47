// The driver table between the stand-in's portable core and a display
// backend (x11 for a real display, headless for tests, web in the browser
// build). The core owns every window's pixels (perhaps in memory the backend
// provides) and its message queue; a backend only shows host windows,
// presents pixels, tells the time and turns its native input into
// InputEvents. README.md: each slot's contract.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace standin {

using HostId = uintptr_t;  // a backend's host window; 0 means none

struct HostWindowParams {
    const char *title = "";
    int x = 0;            // requested screen position of the outer window
    int y = 0;
    int width = 1;        // size of the host surface: client area plus the stand-in's menu bar
    int height = 1;
    HostId owner = 0;     // dialogs: shown transient for this host
    bool resizable = false;
    bool dialog = false;  // a modal dialog's frame (no minimise/maximise)
};

// A rectangle of a host surface, in its pixels.
struct HostRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// Modifier and lock bits of key and button input, that InputEvent::mods
// carries: reported by every backend, injected by tests.
enum : unsigned {
    kKeyShift = 1u << 0,
    kKeyControl = 1u << 1,
    kKeyAlt = 1u << 2,
    kKeyCapsLock = 1u << 3,  // lock is on
    kKeyNumLock = 1u << 4,   // lock is on
};

struct InputEvent {
    enum class Kind {
        KeyDown,      // vk, scan, extended, repeat, mods
        KeyUp,        // vk, scan, extended, mods
        ButtonDown,   // button, x, y, mods
        ButtonUp,     // button, x, y, mods
        Motion,       // x, y
        CloseRequest, // the window manager's close box
        Expose,       // x, y, width, height: host pixels to show again
        FocusIn,
        FocusOut,
        Resize,       // width, height: new host surface size
        Text,         // typed: a character that came without a key (an input method, an on-screen keyboard)
    };
    Kind kind = Kind::Expose;
    HostId host = 0;
    int vk = 0;             // Win32 virtual-key code (letters follow the host's layout)
    int scan = 0;           // OEM scan code (lParam bits 16-23)
    bool extended = false;  // lParam bit 24
    bool repeat = false;    // auto-repeat of a key already down
    int button = 0;         // 1 left, 2 middle, 3 right
    int x = 0;              // host-surface coordinates
    int y = 0;
    int width = 0;
    int height = 0;
    unsigned mods = 0;      // kKeyShift, kKeyControl, kKeyAlt held; kKeyCapsLock, kKeyNumLock on
    // The character the host's own layout typed with a KeyDown (dead keys and
    // compose already applied), a Unicode code point; kTypedNothing when the
    // layout says the key types nothing (a dead key), kTypedByTable when the
    // host cannot tell (headless input, Enter and the other control keys),
    // so the US table decides.
    int32_t typed = kTypedByTable;
    static constexpr int32_t kTypedByTable = -1;
    static constexpr int32_t kTypedNothing = 0;
};

struct BackendDriver {
    // What the backend shows on: a desktop display that may be missing
    // (failing init then says how to get one), memory (tests, telka-run;
    // selectable by use_headless_backend), or the browser page.
    enum class Kind { Display, Memory, Browser };
    const char *name;  // as STANDIN_BACKEND names it
    Kind kind;
    // Connects to the display. On failure fills `error` with a one-line reason.
    bool (*init)(std::string *error);
    void (*shutdown)();
    HostId (*create_host)(const HostWindowParams &params);
    void (*destroy_host)(HostId host);
    void (*show_host)(HostId host, bool visible);
    void (*set_title)(HostId host, const char *title);
    // Optional (may be null). Memory for a host surface of width x height
    // pixels, rows of exactly `width`, that the display reads without a copy
    // (x11: the MIT-SHM segment); null where the backend offers none, and the
    // core then keeps the surface in its own memory. Valid until the next
    // surface() or destroy_host() of that host; its content is undefined.
    uint32_t *(*surface)(HostId host, int width, int height);
    // Optional (null when surface is). Returns once the display has finished
    // reading that memory for earlier presents; the core calls it before it
    // touches the memory again, so a present need not wait.
    void (*await_surface)(HostId host);
    // Shows rects[0..count) of a host surface whose pixels are 0x00RRGGBB:
    // the memory surface() gave, or the core's own, which the core may write
    // again as soon as this returns.
    void (*present)(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride,
                    const HostRect *rects, int count);
    // Blocks until native input is available or the clock reaches `deadline_ns`
    // (-1: no deadline), then hands every pending input to core_input().
    // Returns without blocking when input is already pending. A deadline that
    // has passed (the core polls with 0) only collects input already waiting.
    void (*wait)(int64_t deadline_ns);
    void (*screen_size)(int *width, int *height);
    // Monotonic clock in nanoseconds.
    int64_t (*now_ns)();
};

// Calls up the layers, here and everywhere in the stand-in, go one way: the
// upper layer fills a record of function pointers and registers it at
// start-up (MenuHooks in user/window_hooks.h, WindowSurfaceHooks in
// gdi/target.h, DebugOutputListener in kernel/debug_output.h, and this one).
// USER registers where backends' input goes.
struct CoreCalls {
    // Queues one event; the core turns it into window messages.
    void (*input)(const InputEvent &event) = nullptr;
};
void set_core_calls(const CoreCalls &calls);

// Backends deliver their input here: it goes to the registered CoreCalls
// (dropped, with one message, when none is). A backend's own tests link the
// backend alone and define a recording core_input instead.
void core_input(const InputEvent &event);

// The active backend: chosen on first use (STANDIN_BACKEND=headless|x11, or
// headless when a test selected it; the browser build has only web); exits
// with a clear message when no display can be opened and headless was not
// asked for.
const BackendDriver &backend();

// Selects the headless backend for this process, whatever STANDIN_BACKEND
// says. Call it before the first window call; false when another backend is
// already running.
bool use_headless_backend();
bool headless_backend_active();

extern const BackendDriver kX11Driver;
extern const BackendDriver kHeadlessDriver;
extern const BackendDriver kWebDriver;  // the browser build only

}  // namespace standin
