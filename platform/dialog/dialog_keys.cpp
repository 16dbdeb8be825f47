// The dialog keyboard interface, applied by the modal loop before dispatch:
// Tab/Shift+Tab between tab stops, arrows in a group, Enter for the push
// button, Escape for Cancel; a control keeps keys it claims (WM_GETDLGCODE).
#include "dialog/dialog.h"

#include "dialog/controls.h"
#include "user/keyboard.h"
#include "user/window.h"
#include "user/window_hooks.h"

#include <vector>

namespace standin {

namespace {

bool usable(HWND c) {
    const Window *w = window_get(c);
    return w && w->visible && w->enabled;
}

DWORD style_of(HWND c) {
    const Window *w = window_get(c);
    return w ? w->style : 0;
}

// The next (or previous) usable child after `from`, wrapping around, that
// `eligible` accepts; null when there is none other than `from`.
template <typename Eligible>
HWND step_child(const std::vector<HWND> &children, HWND from, bool backwards, Eligible eligible) {
    const int n = static_cast<int>(children.size());
    if (n == 0) return nullptr;
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (children[i] == from) at = i;
    if (at < 0) at = backwards ? 0 : n - 1;  // from outside: start at the first (or last) child
    for (int k = 1; k <= n; ++k) {
        const int i = ((at + (backwards ? -k : k)) % n + n) % n;
        if (children[i] != from && usable(children[i]) && eligible(i)) return children[i];
    }
    return nullptr;
}

void next_tab_stop(HWND dialog, HWND from, bool backwards) {
    const std::vector<HWND> children = window_children(dialog);
    HWND to = step_child(children, from, backwards, [&](int i) { return (style_of(children[i]) & WS_TABSTOP) != 0; });
    if (to) SetFocus(to);
}

// A group runs from a WS_GROUP control up to the next one.
void next_in_group(HWND dialog, HWND from, bool backwards) {
    const std::vector<HWND> children = window_children(dialog);
    const int n = static_cast<int>(children.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (children[i] == from) at = i;
    if (at < 0) return;
    int first = at;
    while (first > 0 && !(style_of(children[first]) & WS_GROUP)) --first;
    int last = at + 1;
    while (last < n && !(style_of(children[last]) & WS_GROUP)) ++last;
    const std::vector<HWND> group(children.begin() + first, children.begin() + last);
    if (HWND to = step_child(group, from, backwards, [](int) { return true; })) SetFocus(to);
}

void press_default(HWND dialog, HWND focus, LRESULT code) {
    if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && IsWindowEnabled(focus)) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(window_control_id(focus), BN_CLICKED),
                     reinterpret_cast<LPARAM>(focus));
        return;
    }
    const LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    const int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
    HWND button = GetDlgItem(dialog, id);
    if (button && !IsWindowEnabled(button)) return;  // a disabled default button does nothing
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// A push button stays drawn pressed if the mouse was released off it: the
// release of any other window puts it back.
void release_pushed_buttons(HWND dialog, HWND released_on) {
    for (HWND c : window_children(dialog)) {
        if (c == released_on) continue;
        if (SendMessageA(c, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)
            if (SendMessageA(c, BM_GETSTATE, 0, 0) & BST_PUSHED) SendMessageA(c, BM_SETSTATE, FALSE, 0);
    }
}

}  // namespace

bool dialog_key_message(HWND dialog, const MSG &msg) {
    if (!msg.hwnd || !is_descendant(msg.hwnd, dialog)) return false;
    if (msg.message == WM_LBUTTONUP) {
        release_pushed_buttons(dialog, msg.hwnd);
        return false;
    }
    if (msg.message != WM_KEYDOWN) return false;

    const int vk = static_cast<int>(msg.wParam);
    HWND focus = GetFocus();
    if (focus == dialog || !is_descendant(focus, dialog)) focus = nullptr;
    const LRESULT code =
        focus ? SendMessageA(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) : 0;
    if (code & DLGC_WANTALLKEYS) return false;

    switch (vk) {
        case VK_TAB:
            if (code & DLGC_WANTTAB) return false;
            next_tab_stop(dialog, focus, keyboard_shift());
            return true;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if (code & DLGC_WANTARROWS) return false;
            next_in_group(dialog, focus, vk == VK_LEFT || vk == VK_UP);
            return true;
        case VK_RETURN:
            press_default(dialog, focus, code);
            return true;
        case VK_ESCAPE:
            dialog_cancel(dialog);
            return true;
        default:
            return false;
    }
}

}  // namespace standin
