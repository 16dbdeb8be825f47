// The active menu: opening a bar item's drop-down as an overlay below the
// bar (window_hooks.h), moving its highlight, choosing (close first, then
// post WM_COMMAND), and every way the session ends. Menus are looked up by
// handle at every step, so a menu destroyed or replaced while open just
// closes the session.
#include "menu/menu_session.h"

#include "user/window_hooks.h"

#include <algorithm>

namespace standin {

namespace {

bool selectable(const MenuItem &item) { return !item.separator(); }

bool choosable(const MenuItem &item) { return !item.separator() && !item.grayed() && !item.popup; }

// Draws the drop-down's visible part and lays it over the window.
void show_popup() {
    MenuSession &s = menu_session();
    Menu *popup = menu_get(s.popup);
    int surface_w = 0, surface_h = 0;
    if (!popup || !window_surface_size(s.window, &surface_w, &surface_h)) return;
    const int64_t right = std::min<int64_t>(s.popup_x + s.layout.width, surface_w);
    const int64_t bottom = std::min<int64_t>(s.popup_y + s.layout.height, surface_h);
    if (right <= s.popup_x || bottom <= s.popup_y) {
        // The window is too small to show any of it; the keyboard still drives it.
        window_clear_overlay(s.window);
        s.shown = RECT{0, 0, 0, 0};
        s.pixels.clear();
        return;
    }
    const int width = static_cast<int>(right - s.popup_x);
    const int height = static_cast<int>(bottom - s.popup_y);
    s.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    draw_popup(*popup, s.layout, s.highlight, s.pixels.data(), width, height, width);
    s.shown = RECT{static_cast<LONG>(s.popup_x), static_cast<LONG>(s.popup_y), static_cast<LONG>(right),
                   static_cast<LONG>(bottom)};
    window_set_overlay(s.window, s.shown, s.pixels.data(), width);
}

void place_popup() {
    MenuSession &s = menu_session();
    Menu *bar = menu_get(s.bar);
    Menu *popup = menu_get(s.popup);
    int surface_w = 0, surface_h = 0;
    if (!bar || !popup || !window_surface_size(s.window, &surface_w, &surface_h)) return;
    s.layout = layout_popup(*popup);
    const std::vector<BarItemBox> boxes = layout_bar(*bar);
    int64_t x = static_cast<size_t>(s.bar_item) < boxes.size() ? boxes[static_cast<size_t>(s.bar_item)].left : 0;
    // Shifted left rather than cut at the window's right edge, where there is room.
    if (x + s.layout.width > surface_w) x = std::max<int64_t>(0, surface_w - s.layout.width);
    s.popup_x = x;
    s.popup_y = window_menu_bar_height(s.window);
    if (s.highlight >= static_cast<int>(popup->items.size())) s.highlight = -1;
    show_popup();
}

// Ends the session without touching the bar: the window is going away, or
// the core repaints the strip anyway.
void forget() {
    MenuSession &s = menu_session();
    if (s.mode == MenuMode::Closed) return;
    window_clear_overlay(s.window);
    s = MenuSession{};
}

}  // namespace

MenuSession &menu_session() {
    static MenuSession s;
    return s;
}

Menu *window_bar(HWND window) { return menu_get(window_menu(window)); }

int menu_next_selectable(const Menu &popup, int from, int step) {
    const int n = static_cast<int>(popup.items.size());
    if (n == 0) return -1;
    int i = from;
    if (i < 0 || i >= n) i = step > 0 ? -1 : n;
    for (int k = 0; k < n; ++k) {
        i = ((i + step) % n + n) % n;
        if (selectable(popup.items[static_cast<size_t>(i)])) return i;
    }
    return -1;
}

void menu_close() {
    MenuSession &s = menu_session();
    if (s.mode == MenuMode::Closed) return;
    const HWND window = s.window;
    forget();
    window_paint_menu_bar(window);
}

bool menu_session_valid() {
    MenuSession &s = menu_session();
    if (s.mode == MenuMode::Closed) return false;
    const bool ok = window_menu(s.window) == s.bar && menu_get(s.bar) &&
                    (s.mode != MenuMode::Popup || menu_get(s.popup));
    if (!ok) menu_close();
    return ok;
}

void menu_session_bar_changed(HWND window) {
    MenuSession &s = menu_session();
    if (s.mode == MenuMode::Closed || s.window != window) return;
    if (window_menu(window) != s.bar || !menu_get(s.bar)) {
        // The active bar was detached, replaced or destroyed.
        forget();
    } else if (s.mode == MenuMode::Popup) {
        // Its items or the window's size may have changed: lay it out again.
        place_popup();
    }
}

void menu_session_window_destroyed(HWND window) {
    if (menu_session().window == window) forget();
}

void menu_session_window_deactivated(HWND window) {
    if (menu_session().window == window) menu_close();
}

void menu_select_bar(HWND window, int item) {
    MenuSession &s = menu_session();
    Menu *bar = window_bar(window);
    if (!bar || item < 0 || static_cast<size_t>(item) >= bar->items.size()) return;
    if (s.mode != MenuMode::Closed && s.window != window) menu_close();
    window_clear_overlay(window);
    s = MenuSession{};
    s.mode = MenuMode::Bar;
    s.window = window;
    s.bar = window_menu(window);
    s.bar_item = item;
    window_paint_menu_bar(window);
}

void menu_activate_bar_item(HWND window, int item, bool by_keyboard, bool choose_command) {
    Menu *bar = window_bar(window);
    if (!bar || item < 0 || static_cast<size_t>(item) >= bar->items.size()) return;
    const MenuItem entry = bar->items[static_cast<size_t>(item)];
    Menu *popup = entry.popup ? menu_get(entry.popup) : nullptr;
    if (!popup) {
        if (choose_command && choosable(entry)) {
            menu_close();
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(entry.id, 0), 0);
        } else {
            menu_select_bar(window, item);
        }
        return;
    }
    MenuSession &s = menu_session();
    if (s.mode != MenuMode::Closed && s.window != window) menu_close();
    const bool keep_drag = s.mode == MenuMode::Popup && s.window == window && s.dragging;
    window_clear_overlay(window);
    s = MenuSession{};
    s.mode = MenuMode::Popup;
    s.window = window;
    s.bar = window_menu(window);
    s.bar_item = item;
    s.popup = entry.popup;
    s.highlight = by_keyboard ? menu_next_selectable(*popup, -1, +1) : -1;
    s.dragging = keep_drag;
    place_popup();
    window_paint_menu_bar(window);
}

void menu_set_highlight(int index) {
    MenuSession &s = menu_session();
    if (s.mode != MenuMode::Popup || index == s.highlight) return;
    s.highlight = index;
    show_popup();
}

bool menu_choose(int index) {
    MenuSession &s = menu_session();
    Menu *popup = s.mode == MenuMode::Popup ? menu_get(s.popup) : nullptr;
    if (!popup || index < 0 || static_cast<size_t>(index) >= popup->items.size()) return false;
    const MenuItem &item = popup->items[static_cast<size_t>(index)];
    if (!choosable(item)) return false;
    const HWND window = s.window;
    const UINT id = static_cast<UINT>(item.id);
    // The window sees the command after the menu is gone, as on Windows.
    menu_close();
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return true;
}

}  // namespace standin
