// Key messages and TranslateMessage as Windows gives them: lParam bits from
// the key event, system keys (Alt held, F10), and the character the host's
// own layout typed, in Windows-1252 as an ANSI window gets it. Where the host
// cannot tell (headless input, Enter and the other control keys) the US
// keyboard table decides, with Shift, CapsLock and Ctrl.
#include "user/keyboard.h"

#include "kernel/us_keyboard.h"
#include "text/cp1252.h"
#include "user/user_state.h"
#include "user/window.h"

#include <array>

namespace standin {

namespace {

KeyboardState &kb() { return user_state().keyboard; }

// Window messages carry the generic modifier codes; the right-hand Ctrl and
// Alt stay told apart by the extended flag.
int generic_vk(int vk, bool *extended) {
    const int generic = us_generic_vk(vk);
    if (generic != vk && us_key(vk).extended) *extended = true;
    return generic;
}

void take_mods(unsigned mods) {
    KeyboardState &s = kb();
    s.shift = (mods & kKeyShift) != 0;
    s.control = (mods & kKeyControl) != 0;
    s.alt = (mods & kKeyAlt) != 0;
    s.caps = (mods & kKeyCapsLock) != 0;
    s.num = (mods & kKeyNumLock) != 0;
}

int control_char(int vk) {
    if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 1;  // Ctrl+A 0x01 ... Ctrl+Z 0x1A, Shift irrelevant
    switch (vk) {
        case VK_RETURN: return 0x0A;  // linefeed
        case VK_BACK: return 0x7F;
        case VK_ESCAPE: return 0x1B;
        case VK_SPACE: return 0x20;
        case VK_OEM_4: return 0x1B;  // Ctrl+[
        case VK_OEM_5: return 0x1C;  // Ctrl+backslash
        case VK_OEM_6: return 0x1D;  // Ctrl+]
        default: return -1;
    }
}

}  // namespace

void keyboard_event(const InputEvent &event, UINT *message, WPARAM *wParam, LPARAM *lParam) {
    KeyboardState &s = kb();
    bool extended = event.extended;
    const int vk = generic_vk(event.vk, &extended) & 0xFF;
    const bool down = event.kind == InputEvent::Kind::KeyDown;
    take_mods(event.mods);
    // The modifier keys themselves change the state they report.
    if (vk == VK_SHIFT) s.shift = down;
    if (vk == VK_CONTROL) s.control = down;
    if (vk == VK_MENU) s.alt = down;

    const bool was_down = s.down[static_cast<size_t>(vk)];
    s.down[static_cast<size_t>(vk)] = down;
    if (down) s.typed[static_cast<size_t>(vk)] = event.typed;

    // Alt (without Ctrl) makes system keys; F10 is one on its own.
    const bool alt_held = (event.mods & kKeyAlt) != 0 || vk == VK_MENU;
    const bool system = (alt_held && !s.control) || vk == VK_F10;

    uint32_t bits = 1u;                                           // repeat count
    bits |= (static_cast<uint32_t>(event.scan) & 0xFFu) << 16;   // scan code
    if (extended) bits |= 1u << 24;
    if (system && alt_held) bits |= 1u << 29;                     // context: Alt held
    if (!down || was_down || event.repeat) bits |= 1u << 30;      // previous state
    if (!down) bits |= 1u << 31;                                  // transition

    *message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    *wParam = static_cast<WPARAM>(vk);
    *lParam = static_cast<LPARAM>(static_cast<int32_t>(bits));
}

void keyboard_note_mods(unsigned mods) { take_mods(mods); }
bool keyboard_shift() { return kb().shift; }
bool keyboard_control() { return kb().control; }

int keyboard_char(int vk, bool system) {
    const KeyboardState &s = kb();
    const int32_t typed = s.typed[static_cast<size_t>(vk & 0xFF)];
    // Ctrl+Alt is AltGr on layouts that have it: the layout's character.
    if (s.control && (s.alt || system)) return typed > 0 ? static_cast<int>(typed) : -1;
    // Ctrl with a letter gives its control code whatever the layout types.
    if (s.control) return control_char(vk);
    if (typed == InputEvent::kTypedNothing) return -1;
    if (typed > 0) return static_cast<int>(typed);
    const UsKey key = us_key(vk);
    if (key.ch == 0) return -1;
    // CapsLock inverts Shift for letters only.
    const bool letter = vk >= 'A' && vk <= 'Z';
    return static_cast<unsigned char>((s.shift != (letter && s.caps)) ? key.shifted : key.ch);
}

void keyboard_char_message(int ch, bool system, UINT *message, WPARAM *wParam) {
    const int byte = cp1252_from_unicode(static_cast<char32_t>(ch));
    if (byte >= 0) {
        *message = system ? WM_SYSCHAR : WM_CHAR;
        *wParam = static_cast<WPARAM>(byte);
    } else {
        // An ANSI window has no byte for it; the code point goes as
        // WM_UNICHAR, which a window that cannot use it ignores.
        *message = WM_UNICHAR;
        *wParam = static_cast<WPARAM>(ch);
    }
}

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI TranslateMessage(const MSG *lpMsg) {
    if (!lpMsg) return FALSE;
    switch (lpMsg->message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            const bool system = lpMsg->message == WM_SYSKEYDOWN;
            const int ch = keyboard_char(static_cast<int>(lpMsg->wParam & 0xFF), system);
            // Posted, so it arrives right after the key-down and before the key-up.
            if (ch >= 0) {
                UINT message = 0;
                WPARAM wParam = 0;
                keyboard_char_message(ch, system, &message, &wParam);
                PostMessageA(lpMsg->hwnd, message, wParam, lpMsg->lParam);
            }
            return TRUE;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP:
            return TRUE;
        default:
            return FALSE;
    }
}

}  // extern "C"
