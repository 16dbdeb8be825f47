// Plug points of the windowing core for the menu and dialog code. The menu
// code's only way in is this header: USER calls it through MenuHooks, and it
// reads and drives its windows through the window_* calls below, never
// through the Window objects. The dialog code builds on child windows, focus,
// EnableWindow, SendMessageA and nested GetMessageA/DispatchMessageA loops,
// plus the few helpers below. Everything runs on the one application thread.
#pragma once

#include <windows.h>

#include "backends/backend.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin {

// ---------------------------------------------------------------------------
// Menu code
//
// A top-level window's host surface is a menu bar strip at the top (its
// height comes from bar_height; 0 without a menu) followed by the client area.
// The core stores the window's HMENU, keeps the client size right, repaints
// the strip through paint_bar whenever it may have been lost (menu set or
// redrawn, window shown, resized, exposed) and presents it. bar_height and
// paint_bar only answer and draw; what changes the menu's state is told by
// the notifications: bar_changed, window_destroyed, window_deactivated.
//
// Input: `input` sees every key, button and motion event of an enabled
// top-level window (keys: the one holding the focus) before it becomes a
// message, with host-surface coordinates; returning
// true swallows it. That is how an open popup takes the keyboard and mouse,
// and how clicks in the bar strip arrive (clicks in the strip never reach the
// client, swallowed or not). Keys pressed with Alt, and F10, reach the window
// procedure as WM_SYSKEYDOWN/WM_SYSKEYUP/WM_SYSCHAR; DefWindowProcA hands
// them to `sys_key`, so a window that handles them itself keeps them.
// A popup is drawn as an overlay (window_set_overlay): the core keeps it on
// top of client drawing and restores what lies under it when it is cleared.
// Choosing an item is the menu code's PostMessageA(window, WM_COMMAND, id, 0).
// ---------------------------------------------------------------------------

struct MenuHooks {
    // Bar height in pixels for `menu` shown `width` pixels wide; 0 hides it.
    int (*bar_height)(HWND window, HMENU menu, int width) = nullptr;
    // Draws the bar into the strip: `pixels` is its top-left pixel, 0x00RRGGBB.
    void (*paint_bar)(HWND window, HMENU menu, uint32_t *pixels, int width, int height, ptrdiff_t stride) = nullptr;
    // The bar of a top-level window was attached, replaced, detached or
    // redrawn (DrawMenuBar), or the window was resized: its menu, bar height
    // and surface size are already the new ones; the strip is repainted next.
    void (*bar_changed)(HWND window) = nullptr;
    // First look at raw input of a top-level window; true swallows the event.
    bool (*input)(HWND window, const InputEvent &event) = nullptr;
    // WM_SYSKEYDOWN, WM_SYSKEYUP and WM_SYSCHAR passed to DefWindowProcA by
    // `window` or one of its children (`window` is the top-level one).
    void (*sys_key)(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
    // A window is being destroyed (close its popup, forget its state).
    void (*window_destroyed)(HWND window) = nullptr;
    // A top-level window lost the focus to another window tree (or to none),
    // or was disabled: its popup closes.
    void (*window_deactivated)(HWND window) = nullptr;
};

// Installs the hooks (the menu code's install_menu_hooks, at start-up).
void set_menu_hooks(const MenuHooks &hooks);

// SetMenu: attaches `menu` (null detaches) to a top-level window, asks for the
// bar height, sends WM_SIZE if the client size changed and repaints.
// False for child windows and invalid handles.
bool window_set_menu(HWND window, HMENU menu);
// GetMenu: the attached menu, or null.
HMENU window_menu(HWND window);
// DrawMenuBar: asks for the height again (items may have changed) and repaints
// the strip; sends WM_SIZE if the client size changed.
bool window_redraw_menu_bar(HWND window);
// Current bar height (0 without a menu).
int window_menu_bar_height(HWND window);
// Repaints the strip through paint_bar (the menu's own look changed): no
// new height is asked and bar_changed is not called.
void window_paint_menu_bar(HWND window);
// Size of a top-level window's host surface: bar strip and client area.
bool window_surface_size(HWND window, int *width, int *height);

// Lays `pixels` (stride in pixels, owned by the caller and kept alive until
// cleared or replaced) over the host-surface rectangle `rect` of a top-level
// window. Only what is presented changes: window pixels stay as drawn.
bool window_set_overlay(HWND window, const RECT &rect, const uint32_t *pixels, ptrdiff_t stride);
void window_clear_overlay(HWND window);

// ---------------------------------------------------------------------------
// Dialog code
// ---------------------------------------------------------------------------

// Child windows of `window`, bottom to top (creation order).
std::vector<HWND> window_children(HWND window);
// The hMenu given to CreateWindowExA for a WS_CHILD window: its control id.
int window_control_id(HWND window);
// The owner of a top-level window (its hWndParent), or null.
HWND window_owner(HWND window);
// Screen position of the client area's top-left pixel.
bool window_client_origin(HWND window, POINT *origin);
// A free pointer slot per window (dialog or control state).
void *window_user_data(HWND window);
bool window_set_user_data(HWND window, void *data);
// The window procedure can be replaced (a dialog window runs the dialog
// manager's procedure); returns the previous one, or null on a bad handle.
WNDPROC window_set_proc(HWND window, WNDPROC proc);

}  // namespace standin
