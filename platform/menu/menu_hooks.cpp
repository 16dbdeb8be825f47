// Connects the menu code to the windowing core through MenuHooks
// (window_hooks.h): the bar's height and pixels, first look at input, system
// keys, and closing the menu when its window goes away or loses the focus.
// The menu model installs the hooks whenever a menu is made or attached.
#include "menu/menu.h"
#include "menu/menu_session.h"

#include "user/window.h"
#include "user/window_hooks.h"

namespace standin {

namespace {

int hook_bar_height(HWND window, HMENU menu, int) {
    MenuSession &s = menu_session();
    // The active bar was detached, replaced or destroyed.
    if (s.mode != MenuMode::Closed && s.window == window && (s.bar != menu || !menu_get(menu))) menu_forget();
    return menu_get(menu) ? kMenuBarHeight : 0;
}

void hook_paint_bar(HWND window, HMENU menu, uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    Menu *bar = menu_get(menu);
    if (!bar) return;
    MenuSession &s = menu_session();
    int selected = -1;
    if (s.mode != MenuMode::Closed && s.window == window) {
        if (s.bar != menu) {
            // Another bar was attached while this one was active.
            menu_forget();
        } else {
            selected = s.bar_item;
            // The window may have been resized or the items changed (DrawMenuBar).
            if (!s.repainting) menu_refresh_popup();
        }
    }
    const BarLook look = s.mode == MenuMode::Popup ? BarLook::Sunken : BarLook::Raised;
    draw_bar(*bar, selected, look, pixels, width, height, stride);
}

bool hook_input(HWND window, const InputEvent &event) {
    using Kind = InputEvent::Kind;
    switch (event.kind) {
        case Kind::KeyDown:
        case Kind::KeyUp:
            return menu_key_input(window, event);
        case Kind::ButtonDown:
        case Kind::ButtonUp:
        case Kind::Motion:
            return menu_mouse_input(window, event);
        default:
            return false;
    }
}

void hook_window_destroyed(HWND window) {
    if (menu_session().window == window) menu_forget();
}

void hook_window_deactivated(HWND window) {
    if (menu_session().window == window) menu_close();
}

}  // namespace

void install_menu_hooks() {
    MenuHooks hooks;
    hooks.bar_height = hook_bar_height;
    hooks.paint_bar = hook_paint_bar;
    hooks.input = hook_input;
    hooks.sys_key = menu_handle_sys_key;
    hooks.window_destroyed = hook_window_destroyed;
    hooks.window_deactivated = hook_window_deactivated;
    set_menu_hooks(hooks);
}

}  // namespace standin
