// Routing of backend input to windows: keys to the focus window, buttons to
// the deepest enabled child under the point, close requests as WM_CLOSE,
// host focus as activation, host resizes and exposes as repaints. The menu
// code sees key, button and motion events first (window_hooks.h).
#include "user/message_queue.h"

#include "gdi/target.h"
#include "user/keyboard.h"
#include "user/user_state.h"
#include "user/window.h"


namespace standin {

namespace {

Window *window_for_host(HostId host) {
    if (!host) return nullptr;
    for (HWND h : top_level_windows())
        if (Window *w = window_get(h); w && w->host == host) return w;
    return nullptr;
}

POINT screen_point(const Window *top, const InputEvent &event) {
    return POINT{saturate32(int64_t{top->x} + event.x), saturate32(int64_t{top->y} + event.y)};
}

// The window that keyboard input goes to: the focus, or when nothing has it
// the top-level window with the host focus; null when it cannot take input.
Window *keyboard_target(const InputEvent &event) {
    HWND target = focus_window();
    if (!target) {
        Window *top = event.host ? window_for_host(event.host) : window_get(active_window());
        if (!top) return nullptr;
        target = top->handle;
    }
    Window *w = window_get(target);
    if (!w || !top_level_of(w) || !effectively_enabled(w)) return nullptr;
    return w;
}

bool route_key(const InputEvent &event, MSG *msg) {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // The state follows every key, even one that reaches no window.
    keyboard_event(event, &message, &wParam, &lParam);

    Window *w = keyboard_target(event);
    if (!w) return false;
    if (menu_input(top_level_of(w)->handle, event)) return false;
    *msg = MSG{w->handle, message, wParam, lParam, message_time(), message_cursor()};
    return true;
}

// Text without a key (an input method's result) comes as the character
// message that TranslateMessage would have posted for it.
bool route_text(const InputEvent &event, MSG *msg) {
    Window *w = keyboard_target(event);
    if (!w || event.typed <= 0) return false;
    UINT message = 0;
    WPARAM wParam = 0;
    keyboard_char_message(event.typed, false, &message, &wParam);
    *msg = MSG{w->handle, message, wParam, 1, message_time(), message_cursor()};
    return true;
}

// The deepest visible, enabled window under a client point of `w`; the point
// is converted to that window's client coordinates.
Window *hit_test(Window *w, int64_t *x, int64_t *y) {
    for (;;) {
        Window *hit = nullptr;
        for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
            Window *c = window_get(*it);
            if (!c || !c->visible) continue;
            if (*x >= c->x && *x < int64_t{c->x} + c->width && *y >= c->y && *y < int64_t{c->y} + c->height) {
                hit = c;
                break;
            }
        }
        // A disabled child passes the click to its parent.
        if (!hit || !hit->enabled) return w;
        *x -= hit->x;
        *y -= hit->y;
        w = hit;
    }
}

MouseButtons &buttons() { return user_state().buttons; }

bool route_button(const InputEvent &event, MSG *msg) {
    const bool down = event.kind == InputEvent::Kind::ButtonDown;
    if (event.button == 1) buttons().left = down;
    if (event.button == 3) buttons().right = down;
    keyboard_note_mods(event.mods);

    Window *top = window_for_host(event.host);
    if (!top || !top->visible) return false;
    set_message_cursor(screen_point(top, event));
    if (!top->enabled) return false;
    if (menu_input(top->handle, event)) return false;
    if (event.x < 0 || event.y < 0 || event.x >= top->surface_w || event.y >= top->surface_h) return false;
    if (event.y < top->menu_height) return false;  // the bar strip belongs to the menu code
    if (event.button != 1 && event.button != 3) return false;

    int64_t x = event.x;
    int64_t y = event.y - top->menu_height;
    Window *w = hit_test(top, &x, &y);
    UINT message = 0;
    if (event.button == 1) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    else message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    WPARAM flags = 0;
    if (buttons().left) flags |= MK_LBUTTON;
    if (buttons().right) flags |= MK_RBUTTON;
    if (keyboard_shift()) flags |= MK_SHIFT;
    if (keyboard_control()) flags |= MK_CONTROL;
    *msg = MSG{w->handle, message, flags, MAKELPARAM(static_cast<int>(x), static_cast<int>(y)), message_time(),
               message_cursor()};
    return true;
}

void focus_in(Window *top) {
    if (!top->enabled) {
        // A window blocked by a modal dialog hands activation to the dialog.
        for (HWND h : top_level_windows()) {
            Window *o = window_get(h);
            if (o && o->owner == top->handle && o->visible && o->enabled) {
                activate_window(h);
                return;
            }
        }
        return;
    }
    activate_window(top->handle);
}

}  // namespace

bool route_input(const InputEvent &event, MSG *msg) {
    using Kind = InputEvent::Kind;
    switch (event.kind) {
        case Kind::KeyDown:
        case Kind::KeyUp:
            return route_key(event, msg);
        case Kind::Text:
            return route_text(event, msg);
        case Kind::ButtonDown:
        case Kind::ButtonUp:
            return route_button(event, msg);
        case Kind::Motion:
            if (Window *top = window_for_host(event.host)) {
                set_message_cursor(screen_point(top, event));
                if (top->enabled) menu_input(top->handle, event);
            }
            return false;
        case Kind::CloseRequest: {
            Window *top = window_for_host(event.host);
            if (!top || !top->enabled) return false;
            *msg = MSG{top->handle, WM_CLOSE, 0, 0, message_time(), message_cursor()};
            return true;
        }
        case Kind::FocusIn:
            if (Window *top = window_for_host(event.host)) focus_in(top);
            return false;
        case Kind::FocusOut:
            if (Window *top = window_for_host(event.host)) deactivate_window(top->handle);
            return false;
        case Kind::Resize:
            if (Window *top = window_for_host(event.host))
                window_set_rect(top, top->x, top->y, event.width, event.height, true);
            return false;
        case Kind::Expose:
            handle_expose(event);
            return false;
    }
    return false;
}

void handle_expose(const InputEvent &event) {
    Window *top = window_for_host(event.host);
    if (!top) return;
    const int64_t l = event.x, t = event.y;
    const int64_t r = l + event.width, b = t + event.height;
    surface_damage(top, l, t, r, b);
    if (t < top->menu_height) menu_bar_paint(top);
    // The client part is painted again by its window procedure.
    const int64_t m = top->menu_height;
    const RECT client{saturate32(l), saturate32(t - m), saturate32(r), saturate32(b - m)};
    invalidate_client(top, &client, true);
}

}  // namespace standin
