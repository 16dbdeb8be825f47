// Showing and hiding windows (ShowWindow, IsWindowVisible) and synchronous
// painting (UpdateWindow). Showing sends WM_SHOWWINDOW, activates top-level
// windows and invalidates the whole client area; hiding (hide_window, which
// DestroyWindow uses too) gives the focus away.
#include "user/window.h"

namespace standin {

namespace {

bool activates(int cmd) {
    switch (cmd) {
        case SW_SHOWNOACTIVATE:
        case SW_SHOWNA:
        case SW_SHOWMINNOACTIVE:
        case SW_MINIMIZE:
            return false;
        default:
            return true;
    }
}

void hide(HWND hwnd) {
    send_message(hwnd, WM_SHOWWINDOW, FALSE, 0);
    Window *w = window_get(hwnd);
    if (w && w->visible) hide_window(w);
}

void show(HWND hwnd, bool activate) {
    send_message(hwnd, WM_SHOWWINDOW, TRUE, 0);
    Window *w = window_get(hwnd);
    if (!w || w->visible || w->destroying) return;
    w->visible = true;
    if (!w->is_child()) {
        if (w->host) backend().show_host(w->host, true);
        menu_bar_paint(w);
        surface_damage_all(w);
    }
    invalidate_tree(w, true);
    if (activate && !w->is_child() && w->enabled) activate_window(hwnd);
}

void update_tree(HWND hwnd) {
    Window *w = window_get(hwnd);
    if (!w || !effectively_visible(w)) return;
    if (w->update.left < w->update.right && w->update.top < w->update.bottom)
        send_message(hwnd, WM_PAINT, 0, 0);
    w = window_get(hwnd);
    if (!w) return;
    const std::vector<HWND> kids = w->children;
    for (HWND c : kids) update_tree(c);
}

}  // namespace

void hide_window(Window *w) {
    const HWND hwnd = w->handle;
    if (w->visible) {
        w->visible = false;
        if (w->is_child()) {
            // The parent repaints what the child covered.
            if (Window *p = window_get(w->parent)) {
                const RECT r = outer_rect(w);
                invalidate_client(p, &r, true);
            }
        } else if (w->host) {
            backend().show_host(w->host, false);
        }
    }
    release_focus_from(hwnd);
}

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window *w = window_checked(hWnd);
    if (!w) return FALSE;
    const BOOL was_visible = w->visible ? TRUE : FALSE;
    const bool want = nCmdShow != SW_HIDE;
    if (want == w->visible) {
        // Showing a shown window again still brings it to the front.
        if (want && activates(nCmdShow) && !w->is_child() && w->enabled && active_window() != hWnd)
            activate_window(hWnd);
        return was_visible;
    }
    if (want) {
        show(hWnd, activates(nCmdShow));
    } else {
        hide(hWnd);
    }
    return was_visible;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    if (!window_checked(hWnd)) return FALSE;
    update_tree(hWnd);
    return TRUE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    Window *w = window_get(hWnd);
    return w && effectively_visible(w) ? TRUE : FALSE;
}

}  // extern "C"
