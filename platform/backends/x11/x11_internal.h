// State shared by the x11 backend's files: the display connection, the host
// windows and what init learnt about the server (MIT-SHM, NumLock modifier).
// Included only by the backend and by its tests under Xvfb.
#pragma once

#include "backends/backend.h"

namespace standin {
// Xlib defines macros named Expose, FocusIn and FocusOut, so these kinds are
// named here, before Xlib is included.
constexpr InputEvent::Kind kKindExpose = InputEvent::Kind::Expose;
constexpr InputEvent::Kind kKindFocusIn = InputEvent::Kind::FocusIn;
constexpr InputEvent::Kind kKindFocusOut = InputEvent::Kind::FocusOut;
}  // namespace standin

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace standin {

struct X11Host {
    HostId id = 0;
    Window window = 0;
    GC gc = nullptr;
    int width = 0;                // window size as last configured, pixels
    int height = 0;
    // MIT-SHM: one segment that holds the core's host surface (x11_surface),
    // re-created when the surface is resized.
    XImage *shm_image = nullptr;
    XShmSegmentInfo shm{};
    bool shm_busy = false;        // the server may still read the segment (no ShmCompletion yet)
    XIC ic = nullptr;             // input context: the characters keys type here; null without an input method
};

struct X11Atoms {
    Atom wm_protocols;
    Atom wm_delete_window;
    Atom net_wm_name;
    Atom utf8_string;
    Atom net_wm_window_type;
    Atom net_wm_window_type_dialog;
    Atom net_wm_state;
    Atom net_wm_state_modal;
};

struct X11State {
    Display *display = nullptr;
    int screen = 0;
    Window root = 0;
    Visual *visual = nullptr;     // a 24-bit TrueColor visual laid out as 0x00RRGGBB
    int depth = 0;
    Colormap colormap = 0;
    bool own_colormap = false;    // the visual is not the default one
    X11Atoms atoms{};

    bool use_shm = false;         // MIT-SHM present, display local, not disabled, attach works
    int shm_completion_type = -1; // event type of ShmCompletion

    unsigned numlock_mask = 0;    // the ModN bit that carries NumLock
    bool detectable_repeat = false;  // the server sends no KeyRelease between repeats
    std::bitset<256> keys_down;      // by keycode: marks auto-repeat
    std::array<uint8_t, 256> lock_mods_at_press{};  // lock state reported with a lock key's press
    XIM im = nullptr;                // Xlib's own input method; null: keysyms alone say what keys type
    unsigned long dead_key = 0;      // the dead key the input method holds, waiting for the next key

    std::vector<std::unique_ptr<X11Host>> hosts;
    HostId next_id = 1;

    XErrorHandler previous_handler = nullptr;
    bool trapping = false;        // errors are being collected instead of reported
    int trapped_error = 0;        // first error code seen while trapping
    int reported_errors = 0;      // X errors reported outside a trap (tests expect none)
};

X11State &x11();
X11Host *x11_host(HostId id);            // null for an unknown or destroyed host
X11Host *x11_host_of_window(Window w);   // null when no host owns `w`

// Collects X errors instead of reporting them, around requests that may fail
// in an expected way; x11_untrap_errors syncs and returns the first error code (0: none).
void x11_trap_errors();
int x11_untrap_errors();

// Hands one event to the core (or to the backend itself for ShmCompletion);
// may consume following motion events to compress them.
void x11_dispatch(XEvent &event);
// Finds the modifier bit of NumLock in the current modifier mapping.
void x11_update_numlock_mask();

// x11_im.cpp: what keys type. Without an input method (none opened, or no
// context for the host) the lookup falls back to the keysym of the key.
void x11_open_im();
void x11_close_im();
void x11_create_ic(X11Host &host);
void x11_destroy_ic(X11Host &host);
void x11_focus_ic(X11Host &host, bool in);
// The characters a KeyPress typed (dead keys and Compose applied; empty when
// it types none), and in *keysym the symbol the lookup chose. Call it only
// for presses that XFilterEvent let through or put back.
std::u32string x11_lookup_text(X11Host &host, XKeyEvent &key, unsigned long *keysym);
// The key's own character by its keysym alone, past any input method.
std::u32string x11_key_text(XKeyEvent &key, unsigned long *keysym);

// Releases a host's shared segment; the server is told first.
void x11_release_shm(X11Host &host);

// The driver's entry points.
bool x11_init(std::string *error);
void x11_shutdown();
HostId x11_create_host(const HostWindowParams &params);
void x11_destroy_host(HostId host);
void x11_show_host(HostId host, bool visible);
void x11_set_title(HostId host, const char *title);
uint32_t *x11_surface(HostId host, int width, int height);
void x11_await_surface(HostId host);
void x11_present(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride, const HostRect *rects,
                 int count);
void x11_wait(int64_t deadline_ns);
void x11_screen_size(int *width, int *height);
int64_t x11_now_ns();

}  // namespace standin
