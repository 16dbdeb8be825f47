// The windowing side of menus: a top-level window's HMENU, the height of its
// bar strip and its repainting, and the calls into the menu code's hooks
// (window_hooks.h). The menus themselves live in the menu code.
#include "user/window.h"

#include "user/window_hooks.h"

#include <algorithm>

namespace standin {

namespace {

MenuHooks &hooks() {
    static MenuHooks h;
    return h;
}

}  // namespace

void set_menu_hooks(const MenuHooks &h) { hooks() = h; }

bool menu_bar_update(Window *w) {
    const HWND hwnd = w->handle;
    const int old = w->menu_height;
    int height = 0;
    if (w->menu && hooks().bar_height) height = hooks().bar_height(hwnd, w->menu, w->surface_w);
    w->menu_height = std::clamp(height, 0, w->surface_h);
    const bool changed = w->menu_height != old;
    if (hooks().bar_changed) hooks().bar_changed(hwnd);
    if (Window *again = window_get(hwnd)) menu_bar_paint(again);
    return changed;
}

void menu_bar_paint(Window *w) {
    if (w->is_child() || w->menu_height <= 0 || !w->menu || !hooks().paint_bar || w->pixels.empty()) return;
    hooks().paint_bar(w->handle, w->menu, w->pixels.for_writing(), w->surface_w, w->menu_height, w->surface_w);
    if (Window *again = window_get(w->handle)) surface_damage(again, 0, 0, again->surface_w, again->menu_height);
}

bool menu_input(HWND top, const InputEvent &event) { return hooks().input && hooks().input(top, event); }

void menu_sys_key(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *top = top_level_of(window_get(hwnd));
    if (top && hooks().sys_key) hooks().sys_key(top->handle, message, wParam, lParam);
}

void menu_window_destroyed(HWND hwnd) {
    if (hooks().window_destroyed) hooks().window_destroyed(hwnd);
}

void menu_window_deactivated(HWND top) {
    if (hooks().window_deactivated) hooks().window_deactivated(top);
}

bool window_redraw_menu_bar(HWND window) {
    Window *w = window_get(window);
    if (!w || w->is_child()) return false;
    if (menu_bar_update(w)) {
        // The client area moved under a bar of another height.
        invalidate_tree(w, true);
        send_size(window);
    }
    return true;
}

bool window_set_menu(HWND window, HMENU menu) {
    Window *w = window_get(window);
    if (!w || w->is_child()) return false;
    w->menu = menu;
    return window_redraw_menu_bar(window);
}

HMENU window_menu(HWND window) {
    Window *w = window_get(window);
    return w && !w->is_child() ? w->menu : nullptr;
}

int window_menu_bar_height(HWND window) {
    Window *w = window_get(window);
    return w ? w->menu_height : 0;
}

void window_paint_menu_bar(HWND window) {
    if (Window *w = window_get(window)) menu_bar_paint(w);
}

}  // namespace standin
