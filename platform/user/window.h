// Internal model of USER windows: classes, the window tree, host surfaces and
// per-window paint state, shared by the windowing, painting, queue and input
// code. Top-level windows own a backend host window (backend.h); children draw
// into their top-level ancestor's surface.
#pragma once

#include <windows.h>

#include "backends/backend.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace standin {

struct WindowSurfaceHooks;  // gdi/target.h

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;  // checked against the GDI registry at each use
};

// Win32's CREATESTRUCTA layout: WM_NCCREATE and WM_CREATE carry its address.
struct CreateParams {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};

// Pixels that the menu code lays over a host surface when it is presented.
struct Overlay {
    RECT rect{};                      // host-surface coordinates; empty: none
    const uint32_t *pixels = nullptr; // rect's top-left pixel, owned by the caller
    ptrdiff_t stride = 0;             // pixels per row
};

// A host surface's pixels: in memory the backend provides, which its display
// reads without a copy (backend.h, surface), or else in the core's own.
// Reading is free; for_writing first waits until the display has read the
// backend's memory for the last present (await_surface), and gives the pixels
// a new version, so a copy can tell that nothing but itself wrote them since
// (platform/gdi/PIXEL_CACHES.md).
class SurfacePixels {
public:
    // width x height pixels of value v, asking the backend of `host` first.
    void allocate(HostId host, int width, int height, uint32_t v);
    // Forgets them; before the host they may live in goes.
    void release();
    // For a writer: waits for the display, then a new version (any write may follow).
    uint32_t *for_writing();
    uint64_t version() const { return version_; }
    uint64_t prev_version() const { return prev_version_; }
    const uint32_t *data() const { return data_; }
    uint32_t operator[](size_t i) const { return data_[i]; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    static uint64_t next_version();

    std::vector<uint32_t> own_;  // used when the backend offers no memory
    uint64_t version_ = 0;       // unique among all surfaces, new at each for_writing
    uint64_t prev_version_ = 0;
    uint32_t *data_ = nullptr;
    size_t size_ = 0;
    HostId host_ = 0;
    bool shared_ = false;        // data_ is the backend's memory for host_
};

struct Window {
    HWND handle = nullptr;
    const WindowClass *cls = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD ex_style = 0;
    std::string text;
    HWND parent = nullptr;       // WS_CHILD windows: the parent; top-level: null
    HWND owner = nullptr;        // top-level windows: the owner (dialogs), or null
    std::vector<HWND> children;  // bottom to top: painted in this order
    HMENU menu = nullptr;        // top-level: the menu bar; child: the control id
    int x = 0;                   // top-level: screen position of the host window;
    int y = 0;                   //   child: position in the parent's client area
    int width = 0;               // outer size, pixels
    int height = 0;
    bool visible = false;
    bool enabled = true;
    bool destroying = false;     // DestroyWindow has started on it
    HWND last_focus = nullptr;   // top-level: focus to give back on activation
    void *user_data = nullptr;   // free slot for the dialog and menu code

    RECT update{};               // bounding box of the update region, client coordinates
    bool erase = false;          // the next BeginPaint sends WM_ERASEBKGND

    // Top-level windows only.
    HostId host = 0;
    SurfacePixels pixels;          // host surface, 0x00RRGGBB, surface_w per row
    int surface_w = 0;
    int surface_h = 0;
    int menu_height = 0;           // menu bar strip at the top of the surface
    RECT damage{};                 // host-surface pixels not yet presented: what drawing touched
    std::vector<RECT> changed;     // and what copies into the surface found different (exact)
    bool copied = false;           // a copy came since the last present: a frame, changed or not
    Overlay overlay;
    std::vector<uint32_t> composite;  // surface plus overlay, while an overlay is shown

    bool is_child() const { return (style & WS_CHILD) != 0; }
};

// Largest outer size of a top-level window in either direction; larger
// requests are reduced, as Windows limits them to its maximum tracking size.
constexpr int kMaxHostSize = 4096;

// ---- registry (window_registry.cpp) ----

// The live window behind a handle, or null (also for windows already destroyed).
Window *window_get(HWND hwnd);
// Like window_get, and sets ERROR_INVALID_WINDOW_HANDLE on failure.
Window *window_checked(HWND hwnd);
// Top-level windows, oldest first.
const std::vector<HWND> &top_level_windows();
// Registers a new window object and gives it a handle never used before.
Window *window_new();
// Removes a window object; its handle stays invalid for the rest of the run.
void window_free(HWND hwnd);
// Every live window, in no particular order.
std::vector<HWND> all_windows();
// Puts a window on top of its siblings (its parent's children, or the
// top-level windows), and takes it out of that list again.
void window_link(Window *w);
void window_unlink(Window *w);

// ---- tree and geometry ----

Window *top_level_of(Window *w);
bool is_descendant(HWND window, HWND ancestor);  // window == ancestor counts
// The window and every ancestor are visible / enabled.
bool effectively_visible(const Window *w);
bool effectively_enabled(const Window *w);
void client_size(const Window *w, int *width, int *height);
RECT client_rect(const Window *w);
// A child's rectangle in its parent's client area (saturated to int32).
RECT outer_rect(const Window *w);
// Host-surface position of the client area's top-left pixel.
void client_origin_in_host(const Window *w, int64_t *x, int64_t *y);

// Where a window's client area shows on its top-level window's surface.
struct ClientClip {
    int64_t ox = 0, oy = 0;              // client origin, host-surface pixels
    int64_t l = 0, t = 0, r = 0, b = 0;  // the part that shows, client coordinates
};
// The client area cut by every ancestor's client area and by the surface.
// False (nothing shows) for a window that is hidden or whose ancestor is.
bool visible_client_clip(const Window *w, ClientClip *clip);

// ---- focus and activation (window_focus.cpp) ----

HWND focus_window();
HWND active_window();
// Makes `top` the active top-level window and gives the focus to `focus`
// (or to the window it had last, or to itself).
void activate_window(HWND top, HWND focus = nullptr);
// The active window loses activation and the focus (host focus went elsewhere).
void deactivate_window(HWND top);
// Before a window tree disappears or hides: moves activation and focus off it.
void release_focus_from(HWND window);

// ---- host surfaces (window_surface.cpp) ----

void surface_create(Window *w);
void surface_destroy(Window *w);
// Resizes the host surface of a top-level window, keeping the overlapping pixels.
void surface_resize(Window *w, int width, int height);
// Marks host-surface pixels as changed (clipped to the surface): their bounding box.
void surface_damage(Window *w, int64_t l, int64_t t, int64_t r, int64_t b);
void surface_damage_all(Window *w);
// Marks a rectangle that a copy found changed; kept apart from the bounding
// box so that changes far apart are presented apart.
void surface_changed(Window *w, int64_t l, int64_t t, int64_t r, int64_t b);
// Presents every visible host's damaged rectangles once, and clears the damage.
void present_damaged();
// The window-DC surface hooks of gdi/target.h, as USER fills them.
WindowSurfaceHooks window_surface_hooks();

// ---- start-up (user_hooks.cpp) ----

// Registers USER's records with the layers below: window DCs' surfaces with
// GDI, then a backend's input with the backends. The stand-in's start-up
// (entry/start_up.h) calls it; so does a test's set-up that links USER
// without the rest. Idempotent.
void install_user_hooks();

// ---- menu bar (window_menu.cpp) ----

// Asks the menu code for the bar height, tells it the bar changed (MenuHooks::
// bar_changed) and repaints the strip. Returns true when the client size
// changed (the caller sends WM_SIZE).
bool menu_bar_update(Window *w);
void menu_bar_paint(Window *w);
// Input that the menu code may take first (MenuHooks::input); true: swallowed.
bool menu_input(HWND top, const InputEvent &event);
// DefWindowProcA's WM_SYSKEYDOWN/WM_SYSKEYUP/WM_SYSCHAR.
void menu_sys_key(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void menu_window_destroyed(HWND hwnd);
// A top-level window lost the focus to another tree, or was disabled.
void menu_window_deactivated(HWND top);

// ---- showing (window_show.cpp) ----

// Takes a window off the screen, without WM_SHOWWINDOW: it stops being
// visible, its parent repaints what it covered (a top-level window's host
// hides), and activation and focus leave its tree, which they also do for a
// window that was hidden already.
void hide_window(Window *w);

// ---- painting (painting.cpp) ----

// Adds a client rectangle (null: all) to the update region of a visible window.
void invalidate_client(Window *w, const RECT *rect, bool erase);
// The window and its visible descendants get their whole client area invalidated.
void invalidate_tree(Window *w, bool erase);
// The first visible window in painting order (parents before children) that
// has a non-empty update region.
HWND next_window_to_paint();

// ---- sizing (window_geometry.cpp) ----

// Gives a window a new outer size and position, resizing its host surface,
// sending WM_SIZE when the client size changed and invalidating as the class
// style asks.
void window_set_rect(Window *w, int x, int y, int width, int height, bool repaint);
// Sends WM_SIZE with the current client size.
void send_size(HWND hwnd);

// ---- messages ----

// Sends a message straight to the window procedure; 0 for a dead window.
LRESULT send_message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Drops posted messages of a window that is going away.
void purge_posted_messages(HWND hwnd);
void kill_window_timers(HWND hwnd);

// ---- classes (window_class.cpp) ----
const WindowClass *find_class(LPCSTR name);

}  // namespace standin
