// The US keyboard's one table: virtual key, set-1 scan code, extended flag
// and characters of every key, and the lookups the backends and USER use.
// Scan codes and extended flags are the ones Windows puts in lParam.
#include "kernel/us_keyboard.h"

#include <windows.h>

namespace standin {

namespace {

// The main block first, so that a character both blocks type comes from it.
constexpr UsKey kKeys[] = {
    {VK_ESCAPE, 0x01, false, '\x1b', '\x1b'},
    {'1', 0x02, false, '1', '!'},
    {'2', 0x03, false, '2', '@'},
    {'3', 0x04, false, '3', '#'},
    {'4', 0x05, false, '4', '$'},
    {'5', 0x06, false, '5', '%'},
    {'6', 0x07, false, '6', '^'},
    {'7', 0x08, false, '7', '&'},
    {'8', 0x09, false, '8', '*'},
    {'9', 0x0A, false, '9', '('},
    {'0', 0x0B, false, '0', ')'},
    {VK_OEM_MINUS, 0x0C, false, '-', '_'},
    {VK_OEM_PLUS, 0x0D, false, '=', '+'},
    {VK_BACK, 0x0E, false, '\b', '\b'},
    {VK_TAB, 0x0F, false, '\t', '\t'},
    {'Q', 0x10, false, 'q', 'Q'},
    {'W', 0x11, false, 'w', 'W'},
    {'E', 0x12, false, 'e', 'E'},
    {'R', 0x13, false, 'r', 'R'},
    {'T', 0x14, false, 't', 'T'},
    {'Y', 0x15, false, 'y', 'Y'},
    {'U', 0x16, false, 'u', 'U'},
    {'I', 0x17, false, 'i', 'I'},
    {'O', 0x18, false, 'o', 'O'},
    {'P', 0x19, false, 'p', 'P'},
    {VK_OEM_4, 0x1A, false, '[', '{'},
    {VK_OEM_6, 0x1B, false, ']', '}'},
    {VK_RETURN, 0x1C, false, '\r', '\r'},
    {VK_LCONTROL, 0x1D, false, 0, 0},
    {'A', 0x1E, false, 'a', 'A'},
    {'S', 0x1F, false, 's', 'S'},
    {'D', 0x20, false, 'd', 'D'},
    {'F', 0x21, false, 'f', 'F'},
    {'G', 0x22, false, 'g', 'G'},
    {'H', 0x23, false, 'h', 'H'},
    {'J', 0x24, false, 'j', 'J'},
    {'K', 0x25, false, 'k', 'K'},
    {'L', 0x26, false, 'l', 'L'},
    {VK_OEM_1, 0x27, false, ';', ':'},
    {VK_OEM_7, 0x28, false, '\'', '"'},
    {VK_OEM_3, 0x29, false, '`', '~'},
    {VK_LSHIFT, 0x2A, false, 0, 0},
    {VK_OEM_5, 0x2B, false, '\\', '|'},
    {'Z', 0x2C, false, 'z', 'Z'},
    {'X', 0x2D, false, 'x', 'X'},
    {'C', 0x2E, false, 'c', 'C'},
    {'V', 0x2F, false, 'v', 'V'},
    {'B', 0x30, false, 'b', 'B'},
    {'N', 0x31, false, 'n', 'N'},
    {'M', 0x32, false, 'm', 'M'},
    {VK_OEM_COMMA, 0x33, false, ',', '<'},
    {VK_OEM_PERIOD, 0x34, false, '.', '>'},
    {VK_OEM_2, 0x35, false, '/', '?'},
    {VK_RSHIFT, 0x36, false, 0, 0},
    {VK_LMENU, 0x38, false, 0, 0},
    {VK_SPACE, 0x39, false, ' ', ' '},
    {VK_CAPITAL, 0x3A, false, 0, 0},
    {VK_F1, 0x3B, false, 0, 0},
    {VK_F2, 0x3C, false, 0, 0},
    {VK_F3, 0x3D, false, 0, 0},
    {VK_F4, 0x3E, false, 0, 0},
    {VK_F5, 0x3F, false, 0, 0},
    {VK_F6, 0x40, false, 0, 0},
    {VK_F7, 0x41, false, 0, 0},
    {VK_F8, 0x42, false, 0, 0},
    {VK_F9, 0x43, false, 0, 0},
    {VK_F10, 0x44, false, 0, 0},
    {VK_PAUSE, 0x45, false, 0, 0},  // NumLock's code, but without the extended flag
    {VK_SCROLL, 0x46, false, 0, 0},
    {VK_OEM_102, 0x56, false, 0, 0},  // left of Z on 105-key boards; types nothing here
    {VK_F11, 0x57, false, 0, 0},
    {VK_F12, 0x58, false, 0, 0},

    // The E0 keys: right-hand modifiers, Windows keys, PrintScreen, NumLock
    // (which Windows flags extended) and the navigation block.
    {VK_RCONTROL, 0x1D, true, 0, 0},
    {VK_RMENU, 0x38, true, 0, 0},
    {VK_SNAPSHOT, 0x37, true, 0, 0},
    {VK_LWIN, 0x5B, true, 0, 0},
    {VK_RWIN, 0x5C, true, 0, 0},
    {VK_APPS, 0x5D, true, 0, 0},
    {VK_NUMLOCK, 0x45, true, 0, 0},
    {VK_HOME, 0x47, true, 0, 0},
    {VK_UP, 0x48, true, 0, 0},
    {VK_PRIOR, 0x49, true, 0, 0},
    {VK_LEFT, 0x4B, true, 0, 0},
    {VK_RIGHT, 0x4D, true, 0, 0},
    {VK_END, 0x4F, true, 0, 0},
    {VK_DOWN, 0x50, true, 0, 0},
    {VK_NEXT, 0x51, true, 0, 0},
    {VK_INSERT, 0x52, true, 0, 0},
    {VK_DELETE, 0x53, true, 0, 0},

    // The keypad with NumLock on; Shift does not change what it types.
    {VK_MULTIPLY, 0x37, false, '*', '*'},
    {VK_NUMPAD7, 0x47, false, '7', '7'},
    {VK_NUMPAD8, 0x48, false, '8', '8'},
    {VK_NUMPAD9, 0x49, false, '9', '9'},
    {VK_SUBTRACT, 0x4A, false, '-', '-'},
    {VK_NUMPAD4, 0x4B, false, '4', '4'},
    {VK_NUMPAD5, 0x4C, false, '5', '5'},
    {VK_NUMPAD6, 0x4D, false, '6', '6'},
    {VK_ADD, 0x4E, false, '+', '+'},
    {VK_NUMPAD1, 0x4F, false, '1', '1'},
    {VK_NUMPAD2, 0x50, false, '2', '2'},
    {VK_NUMPAD3, 0x51, false, '3', '3'},
    {VK_NUMPAD0, 0x52, false, '0', '0'},
    {VK_DECIMAL, 0x53, false, '.', '.'},
    {VK_DIVIDE, 0x35, true, '/', '/'},
};

const UsKey *find(int vk) {
    for (const UsKey &k : kKeys)
        if (k.vk == vk) return &k;
    return nullptr;
}

// The keypad's digit and decimal-point keys, which send a navigation key
// when NumLock is off.
bool keypad_digit(int vk) { return (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) || vk == VK_DECIMAL; }
bool on_keypad(int vk) { return (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) || vk == VK_NUMLOCK; }

}  // namespace

std::span<const UsKey> us_keys() { return kKeys; }

UsKey us_key(int vk) {
    switch (vk) {
        case VK_SHIFT: vk = VK_LSHIFT; break;
        case VK_CONTROL: vk = VK_LCONTROL; break;
        case VK_MENU: vk = VK_LMENU; break;
        case VK_CLEAR: return us_keypad_key(vk);
        default: break;
    }
    const UsKey *k = find(vk);
    return k ? *k : UsKey{};
}

UsKey us_key_at(int scan, bool extended) {
    for (const UsKey &k : kKeys)
        if (k.scan == scan && k.extended == extended) return k;
    return UsKey{};
}

UsKey us_keypad_key(int vk) {
    if (vk == VK_RETURN) {
        UsKey enter = *find(VK_RETURN);
        enter.extended = true;
        return enter;
    }
    if (vk == VK_CLEAR) {
        const UsKey *five = find(VK_NUMPAD5);
        return UsKey{VK_CLEAR, five->scan, false, 0, 0};
    }
    const UsKey *k = find(vk);
    if (k == nullptr) return UsKey{};
    if (on_keypad(vk)) return *k;
    // A navigation key shares its scan code with the keypad key that doubles as it.
    const UsKey twin = us_key_at(k->scan, false);
    if (k->extended && keypad_digit(twin.vk)) return UsKey{vk, k->scan, false, 0, 0};
    return UsKey{};
}

int us_generic_vk(int vk) {
    switch (vk) {
        case VK_LSHIFT:
        case VK_RSHIFT: return VK_SHIFT;
        case VK_LCONTROL:
        case VK_RCONTROL: return VK_CONTROL;
        case VK_LMENU:
        case VK_RMENU: return VK_MENU;
        default: return vk;
    }
}

bool us_key_for_char(char c, int *vk, bool *shift) {
    if (c == '\n') c = '\r';
    if (c == 0) return false;
    for (const UsKey &k : kKeys) {
        if (k.ch != c && k.shifted != c) continue;
        *vk = k.vk;
        *shift = k.ch != c;
        return true;
    }
    return false;
}

}  // namespace standin
