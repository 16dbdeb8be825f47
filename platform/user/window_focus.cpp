// Keyboard focus, activation of top-level windows and enabling: SetFocus,
// GetFocus, EnableWindow, IsWindowEnabled. One focus window and one active
// top-level window for the whole (single-threaded) program.
#include "user/window.h"

#include "user/user_state.h"

namespace standin {

namespace {

FocusState &state() { return user_state().focus; }

// Moves the focus, sending WM_KILLFOCUS to the old window and WM_SETFOCUS to the new.
void move_focus(HWND to) {
    FocusState &s = state();
    const HWND from = window_get(s.focus) ? s.focus : nullptr;
    if (from == to) return;
    s.focus = to;
    // An open menu does not outlive its window's focus.
    Window *from_top = top_level_of(window_get(from));
    if (from_top && from_top != top_level_of(window_get(to))) menu_window_deactivated(from_top->handle);
    if (Window *w = window_get(to)) {
        if (Window *top = top_level_of(w)) top->last_focus = to;
    }
    if (from) send_message(from, WM_KILLFOCUS, reinterpret_cast<WPARAM>(to), 0);
    // The old window's handler may have moved the focus again.
    if (to && s.focus == to && window_get(to)) send_message(to, WM_SETFOCUS, reinterpret_cast<WPARAM>(from), 0);
}

bool focus_inside(HWND window) {
    const HWND f = state().focus;
    return f && window_get(f) && is_descendant(f, window);
}

}  // namespace

HWND focus_window() {
    const HWND f = state().focus;
    return window_get(f) ? f : nullptr;
}

HWND active_window() {
    const HWND a = state().active;
    return window_get(a) ? a : nullptr;
}

void activate_window(HWND top, HWND focus) {
    Window *t = window_get(top);
    if (!t || t->is_child()) return;
    FocusState &s = state();
    const HWND old = active_window();
    if (old != top) {
        s.active = top;
        if (old) send_message(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top));
        if (!window_get(top) || s.active != top) return;
        send_message(top, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
        if (!window_get(top) || s.active != top) return;
    } else if (!focus && focus_inside(top)) {
        return;
    }
    HWND target = focus;
    if (!target) {
        t = window_get(top);
        const HWND last = t->last_focus;
        Window *lw = window_get(last);
        target = (lw && is_descendant(last, top) && effectively_enabled(lw)) ? last : top;
    }
    move_focus(target);
}

void deactivate_window(HWND top) {
    FocusState &s = state();
    if (active_window() != top) return;
    s.active = nullptr;
    send_message(top, WM_ACTIVATE, WA_INACTIVE, 0);
    if (focus_inside(top)) move_focus(nullptr);
}

void release_focus_from(HWND window) {
    Window *w = window_get(window);
    if (!w) return;
    if (w->is_child()) {
        // A disappearing child hands the focus to its parent.
        if (focus_inside(window)) move_focus(w->parent);
        return;
    }
    if (active_window() == window) {
        Window *owner = window_get(w->owner);
        if (owner && !owner->destroying && effectively_visible(owner) && effectively_enabled(owner)) {
            activate_window(owner->handle);
            return;
        }
        deactivate_window(window);
    }
    if (focus_inside(window)) move_focus(nullptr);
}

}  // namespace standin

using namespace standin;

extern "C" {

HWND WINAPI SetFocus(HWND hWnd) {
    const HWND previous = focus_window();
    if (!hWnd) {
        move_focus(nullptr);
        return previous;
    }
    Window *w = window_checked(hWnd);
    if (!w || w->destroying) return nullptr;
    // Disabled windows take no keyboard input, so they cannot hold the focus.
    if (!effectively_enabled(w)) return nullptr;
    Window *top = top_level_of(w);
    if (active_window() != top->handle) {
        activate_window(top->handle, hWnd);
    } else {
        move_focus(hWnd);
    }
    return previous;
}

HWND WINAPI GetFocus(void) { return focus_window(); }

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    Window *w = window_checked(hWnd);
    if (!w) return FALSE;
    const BOOL was_disabled = w->enabled ? FALSE : TRUE;
    const bool enable = bEnable != FALSE;
    if (enable == w->enabled) return was_disabled;
    w->enabled = enable;
    if (!enable && !w->is_child()) menu_window_deactivated(hWnd);
    if (!enable && focus_inside(hWnd)) move_focus(nullptr);
    send_message(hWnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return was_disabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    Window *w = window_checked(hWnd);
    return w && w->enabled ? TRUE : FALSE;
}

}  // extern "C"
