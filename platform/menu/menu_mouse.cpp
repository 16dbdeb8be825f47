// The mouse side of menus, in host-surface coordinates: a press on a bar
// item opens its drop-down (again: closes it), hovering highlights, releasing
// over an enabled item chooses it, and a press anywhere else closes the menu
// without reaching the window. Releases of swallowed presses are swallowed.
#include "menu/menu_session.h"

#include "user/window_hooks.h"

#include <array>

namespace standin {

namespace {

std::array<bool, 8> &taken_buttons() {
    static std::array<bool, 8> taken{};
    return taken;
}

size_t button_slot(int button) { return static_cast<size_t>(button) & 7u; }

bool in_popup(const MenuSession &s, int64_t x, int64_t y) {
    return s.mode == MenuMode::Popup && x >= s.shown.left && x < s.shown.right && y >= s.shown.top &&
           y < s.shown.bottom;
}

// The drop-down item under a host point, separators excluded; -1 for none.
int popup_item_at(const MenuSession &s, int64_t x, int64_t y) {
    if (!in_popup(s, x, y)) return -1;
    const int i = s.layout.item_at(x - s.popup_x, y - s.popup_y);
    Menu *popup = menu_get(s.popup);
    if (i < 0 || !popup || static_cast<size_t>(i) >= popup->items.size()) return -1;
    return popup->items[static_cast<size_t>(i)].separator() ? -1 : i;
}

int bar_item_under(HWND top, int64_t x, int64_t y) {
    Menu *bar = window_bar(top);
    if (!bar) return -1;
    return bar_item_at(layout_bar(*bar), x, y, window_menu_bar_height(top));
}

bool press(HWND top, const InputEvent &e) {
    MenuSession &s = menu_session();
    const int item = bar_item_under(top, e.x, e.y);
    if (s.mode == MenuMode::Closed) {
        if (e.button != 1 || item < 0) return false;  // the core drops other clicks in the strip itself
        menu_activate_bar_item(top, item, false, true);
        if (s.mode == MenuMode::Popup) s.dragging = true;
        taken_buttons()[button_slot(e.button)] = true;
        return true;
    }
    taken_buttons()[button_slot(e.button)] = true;
    if (in_popup(s, e.x, e.y)) {
        menu_set_highlight(popup_item_at(s, e.x, e.y));
        return true;
    }
    if (item >= 0 && e.button == 1) {
        if (s.mode == MenuMode::Popup && item == s.bar_item) {
            menu_close();
        } else {
            menu_activate_bar_item(top, item, false, true);
            if (s.mode == MenuMode::Popup) s.dragging = true;
        }
        return true;
    }
    menu_close();
    return true;
}

bool release(HWND top, const InputEvent &e) {
    MenuSession &s = menu_session();
    bool &taken = taken_buttons()[button_slot(e.button)];
    const bool swallow = taken || (s.mode != MenuMode::Closed && s.window == top);
    taken = false;
    if (s.mode != MenuMode::Popup || s.window != top || e.button != 1) return swallow;
    const bool dragging = s.dragging;
    s.dragging = false;
    if (in_popup(s, e.x, e.y)) {
        const int item = popup_item_at(s, e.x, e.y);
        if (item >= 0) menu_choose(item);  // greyed items stay open and post nothing
    } else if (bar_item_under(top, e.x, e.y) != s.bar_item && dragging) {
        // Pressed on the bar and released elsewhere: the menu goes away.
        menu_close();
    }
    return swallow;
}

void motion(HWND top, const InputEvent &e) {
    MenuSession &s = menu_session();
    if (s.mode != MenuMode::Popup || s.window != top) return;
    if (in_popup(s, e.x, e.y)) {
        s.pointer_inside = true;
        menu_set_highlight(popup_item_at(s, e.x, e.y));
        return;
    }
    if (s.pointer_inside) {
        s.pointer_inside = false;
        menu_set_highlight(-1);
    }
    // Sliding along the bar opens the neighbouring drop-downs.
    const int item = bar_item_under(top, e.x, e.y);
    if (item >= 0 && item != s.bar_item) menu_activate_bar_item(top, item, false, false);
}

}  // namespace

bool menu_mouse_input(HWND top, const InputEvent &event) {
    if (!IsWindow(top)) return false;
    MenuSession &s = menu_session();
    using Kind = InputEvent::Kind;
    if (event.kind == Kind::ButtonDown) menu_cancel_alt_release();
    if (s.mode != MenuMode::Closed && s.window != top) {
        // A press in another window ends the menu; that window gets its click.
        if (event.kind == Kind::ButtonDown) menu_close();
        return false;
    }
    // A menu destroyed while open is closed and the event handled as if it were.
    if (s.mode != MenuMode::Closed) menu_session_valid();
    switch (event.kind) {
        case Kind::ButtonDown:
            return press(top, event);
        case Kind::ButtonUp:
            return release(top, event);
        case Kind::Motion:
            motion(top, event);
            return false;
        default:
            return false;
    }
}

}  // namespace standin
