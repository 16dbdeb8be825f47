// Connects the menu code to the windowing core through MenuHooks
// (window_hooks.h). The hooks only measure, draw and pass events on: what a
// window's change does to an open menu is decided in menu_session.cpp.
// The stand-in's start-up installs them (install_menu_hooks, menu.h).
#include "menu/menu.h"
#include "menu/menu_session.h"

#include "user/window_hooks.h"

namespace standin {

namespace {

int hook_bar_height(HWND, HMENU menu, int) { return menu_get(menu) ? kMenuBarHeight : 0; }

// The bar as the session shows it: its active item raised (selected from the
// keyboard) or sunken (drop-down open).
void hook_paint_bar(HWND window, HMENU menu, uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    const Menu *bar = menu_get(menu);
    if (!bar) return;
    const MenuSession &s = menu_session();
    const bool active = s.mode != MenuMode::Closed && s.window == window && s.bar == menu;
    const BarLook look = s.mode == MenuMode::Popup ? BarLook::Sunken : BarLook::Raised;
    draw_bar(*bar, active ? s.bar_item : -1, look, pixels, width, height, stride);
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

}  // namespace

void install_menu_hooks() {
    MenuHooks hooks;
    hooks.bar_height = hook_bar_height;
    hooks.paint_bar = hook_paint_bar;
    hooks.bar_changed = menu_session_bar_changed;
    hooks.input = hook_input;
    hooks.sys_key = menu_handle_sys_key;
    hooks.window_destroyed = menu_session_window_destroyed;
    hooks.window_deactivated = menu_session_window_deactivated;
    set_menu_hooks(hooks);
}

}  // namespace standin
