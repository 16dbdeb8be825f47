// The keyboard side of menus: Alt+mnemonic (WM_SYSCHAR), Alt alone and F10
// select the bar; while a menu is active every key press is taken here
// (arrows, Enter, Escape, mnemonic letters) and its release swallowed too.
// Releases of keys pressed before the menu opened still reach the window.
#include "menu/menu_session.h"

#include <array>
#include <cctype>

namespace standin {

namespace {

struct KeyState {
    bool alt_alone = false;           // Alt is down and nothing else was pressed since
    std::array<bool, 256> taken{};    // by virtual-key code: the press was swallowed
};

KeyState &keys() {
    static KeyState k;
    return k;
}

bool is_alt(int vk) { return vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU; }

// The mnemonic character a key press stands for (lower case), or 0. With
// Ctrl held a letter types a control character, which matches nothing.
char key_char(const InputEvent &event) {
    const int vk = event.vk & 0xFF;
    if (event.mods & kKeyControl) return 0;
    if (vk >= 'A' && vk <= 'Z') return static_cast<char>(vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9') return static_cast<char>(vk);
    return 0;
}

int bar_item_for(const Menu &bar, char c) {
    if (!c) return -1;
    for (size_t i = 0; i < bar.items.size(); ++i)
        if (menu_mnemonic(bar.items[i]) == c) return static_cast<int>(i);
    return -1;
}

int neighbour(const Menu &bar, int item, int step) {
    const int n = static_cast<int>(bar.items.size());
    return n == 0 ? -1 : ((item + step) % n + n) % n;
}

// A mnemonic letter in an open drop-down: the only item with it is chosen;
// among several, the highlight moves to the next one (greyed ones are only
// highlighted, never chosen).
void popup_mnemonic(const Menu &popup, char c) {
    MenuSession &s = menu_session();
    std::vector<int> matches;
    for (size_t i = 0; i < popup.items.size(); ++i)
        if (!popup.items[i].separator() && menu_mnemonic(popup.items[i]) == c) matches.push_back(static_cast<int>(i));
    if (matches.empty()) return;
    if (matches.size() == 1) {
        if (!menu_choose(matches[0])) menu_set_highlight(matches[0]);
        return;
    }
    for (int m : matches) {
        if (m > s.highlight) {
            menu_set_highlight(m);
            return;
        }
    }
    menu_set_highlight(matches[0]);
}

void popup_key(const InputEvent &event) {
    const int vk = event.vk & 0xFF;
    MenuSession &s = menu_session();
    Menu *popup = menu_get(s.popup);
    Menu *bar = menu_get(s.bar);
    if (!popup || !bar) return;
    switch (vk) {
        case VK_UP:
        case VK_DOWN: {
            const int next = menu_next_selectable(*popup, s.highlight, vk == VK_DOWN ? +1 : -1);
            if (next >= 0) menu_set_highlight(next);
            return;
        }
        case VK_LEFT:
        case VK_RIGHT:
            menu_activate_bar_item(s.window, neighbour(*bar, s.bar_item, vk == VK_RIGHT ? +1 : -1), true, false);
            return;
        case VK_RETURN:
            if (s.highlight >= 0) menu_choose(s.highlight);
            return;
        case VK_ESCAPE:
        case VK_F10:
            menu_close();
            return;
        default:
            if (is_alt(vk)) {
                if (!event.repeat) menu_close();
                return;
            }
            if (const char c = key_char(event)) popup_mnemonic(*popup, c);
            return;
    }
}

void bar_key(const InputEvent &event) {
    const int vk = event.vk & 0xFF;
    MenuSession &s = menu_session();
    Menu *bar = menu_get(s.bar);
    if (!bar) return;
    switch (vk) {
        case VK_LEFT:
        case VK_RIGHT:
            menu_select_bar(s.window, neighbour(*bar, s.bar_item, vk == VK_RIGHT ? +1 : -1));
            return;
        case VK_UP:
        case VK_DOWN:
        case VK_RETURN:
            menu_activate_bar_item(s.window, s.bar_item, true, vk == VK_RETURN);
            return;
        case VK_ESCAPE:
        case VK_F10:
            menu_close();
            return;
        default:
            if (is_alt(vk)) {
                if (!event.repeat) menu_close();
                return;
            }
            if (const int item = bar_item_for(*bar, key_char(event)); item >= 0)
                menu_activate_bar_item(s.window, item, true, true);
            return;
    }
}

}  // namespace

void menu_cancel_alt_release() { keys().alt_alone = false; }

bool menu_key_input(HWND top, const InputEvent &event) {
    KeyState &k = keys();
    const int vk = event.vk & 0xFF;
    if (event.kind == InputEvent::Kind::KeyUp) {
        // The release of a swallowed press is swallowed too, even after the menu closed.
        const bool taken = k.taken[static_cast<size_t>(vk)];
        k.taken[static_cast<size_t>(vk)] = false;
        return taken;
    }
    if (event.kind != InputEvent::Kind::KeyDown) return false;
    if (is_alt(vk)) {
        if (!event.repeat) k.alt_alone = true;
    } else {
        k.alt_alone = false;
    }
    MenuSession &s = menu_session();
    if (s.mode == MenuMode::Closed || s.window != top || !menu_session_valid()) return false;
    // An auto-repeat of a key the window saw go down keeps its release for the window.
    if (!event.repeat) k.taken[static_cast<size_t>(vk)] = true;
    if (s.mode == MenuMode::Bar)
        bar_key(event);
    else
        popup_key(event);
    return true;
}

void menu_handle_sys_key(HWND top, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    Menu *bar = window_bar(top);
    if (!bar || bar->items.empty()) return;
    KeyState &k = keys();
    switch (message) {
        case WM_SYSCHAR: {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(wParam & 0xFF)));
            if (const int item = bar_item_for(*bar, c); item >= 0)
                menu_activate_bar_item(top, item, true, true);
            return;
        }
        case WM_SYSKEYUP: {
            // Releasing Alt pressed on its own, or F10, selects the bar's first item.
            const bool alt = wParam == VK_MENU && k.alt_alone;
            k.alt_alone = false;
            if ((alt || wParam == VK_F10) && menu_session().mode == MenuMode::Closed)
                menu_select_bar(top, 0);
            return;
        }
        default:
            return;
    }
}

}  // namespace standin
