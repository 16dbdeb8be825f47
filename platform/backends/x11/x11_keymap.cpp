// Keysym -> Win32 virtual-key table of a US keyboard, with the scan codes and
// extended flags Windows reports. Relies on X keysym values (X11/keysym.h) and
// on evdev keycodes (keycode - 8 = set-1 scan code) for the main block.
#include "backends/x11/x11_keymap.h"

#include <windows.h>

#include <X11/keysym.h>

#include <cstdint>

namespace standin {
namespace {

// Codes our windows.h subset does not name.
constexpr int kVkLWin = 0x5B;
constexpr int kVkRWin = 0x5C;
constexpr int kVkApps = 0x5D;
constexpr int kVkOem102 = 0xE2;  // the extra key left of Z on 105-key boards

struct Entry {
    unsigned long sym;
    uint8_t vk;
    uint8_t scan;   // nonzero: the code Windows reports whatever the keycode; 0: keycode - 8
    bool extended;
};

// Keys whose scan code cannot come from the keycode carry it here: the E0
// group (their evdev codes lie beyond the set-1 block) and Pause.
constexpr Entry kTable[] = {
    {XK_Return, VK_RETURN, 0, false},
    {XK_Escape, VK_ESCAPE, 0, false},
    {XK_BackSpace, VK_BACK, 0, false},
    {XK_Tab, VK_TAB, 0, false},
    {XK_ISO_Left_Tab, VK_TAB, 0, false},
    {XK_space, VK_SPACE, 0, false},

    {XK_Shift_L, VK_SHIFT, 0, false},
    {XK_Shift_R, VK_SHIFT, 0, false},
    {XK_Control_L, VK_CONTROL, 0, false},
    {XK_Control_R, VK_CONTROL, 0x1D, true},
    {XK_Alt_L, VK_MENU, 0, false},
    {XK_Meta_L, VK_MENU, 0, false},
    {XK_Alt_R, VK_MENU, 0x38, true},
    {XK_ISO_Level3_Shift, VK_MENU, 0x38, true},  // right Alt on layouts with AltGr
    {XK_Caps_Lock, VK_CAPITAL, 0, false},
    {XK_Num_Lock, VK_NUMLOCK, 0x45, true},
    {XK_Scroll_Lock, VK_SCROLL, 0, false},
    {XK_Pause, VK_PAUSE, 0x45, false},
    {XK_Print, VK_SNAPSHOT, 0x37, true},
    {XK_Super_L, kVkLWin, 0x5B, true},
    {XK_Super_R, kVkRWin, 0x5C, true},
    {XK_Menu, kVkApps, 0x5D, true},

    // The navigation block: always extended.
    {XK_Insert, VK_INSERT, 0x52, true},
    {XK_Delete, VK_DELETE, 0x53, true},
    {XK_Home, VK_HOME, 0x47, true},
    {XK_End, VK_END, 0x4F, true},
    {XK_Prior, VK_PRIOR, 0x49, true},
    {XK_Next, VK_NEXT, 0x51, true},
    {XK_Left, VK_LEFT, 0x4B, true},
    {XK_Up, VK_UP, 0x48, true},
    {XK_Right, VK_RIGHT, 0x4D, true},
    {XK_Down, VK_DOWN, 0x50, true},

    // Punctuation of the US layout.
    {XK_semicolon, VK_OEM_1, 0, false},
    {XK_equal, VK_OEM_PLUS, 0, false},
    {XK_comma, VK_OEM_COMMA, 0, false},
    {XK_minus, VK_OEM_MINUS, 0, false},
    {XK_period, VK_OEM_PERIOD, 0, false},
    {XK_slash, VK_OEM_2, 0, false},
    {XK_grave, VK_OEM_3, 0, false},
    {XK_bracketleft, VK_OEM_4, 0, false},
    {XK_backslash, VK_OEM_5, 0, false},
    {XK_bracketright, VK_OEM_6, 0, false},
    {XK_apostrophe, VK_OEM_7, 0, false},
    {XK_less, kVkOem102, 0, false},

    // Keypad. With NumLock off its keys are the navigation keys, but not extended.
    {XK_KP_Decimal, VK_DECIMAL, 0, false},
    {XK_KP_Separator, VK_DECIMAL, 0, false},  // layouts with a decimal comma
    {XK_KP_Insert, VK_INSERT, 0, false},
    {XK_KP_End, VK_END, 0, false},
    {XK_KP_Down, VK_DOWN, 0, false},
    {XK_KP_Next, VK_NEXT, 0, false},
    {XK_KP_Left, VK_LEFT, 0, false},
    {XK_KP_Begin, VK_CLEAR, 0, false},
    {XK_KP_Right, VK_RIGHT, 0, false},
    {XK_KP_Home, VK_HOME, 0, false},
    {XK_KP_Up, VK_UP, 0, false},
    {XK_KP_Prior, VK_PRIOR, 0, false},
    {XK_KP_Delete, VK_DELETE, 0, false},
    {XK_KP_Multiply, VK_MULTIPLY, 0, false},
    {XK_KP_Add, VK_ADD, 0, false},
    {XK_KP_Subtract, VK_SUBTRACT, 0, false},
    {XK_KP_Divide, VK_DIVIDE, 0x35, true},
    {XK_KP_Enter, VK_RETURN, 0x1C, true},
};

// Last set-1 code whose evdev keycode is keycode - 8 (F12).
constexpr int kLastMainScan = 0x58;

// US virtual keys by set-1 scan code, for symbols of other layouts (Cyrillic
// letters, French digits row): the key in that place on a US keyboard.
// The keypad (0x47-0x53) is left out: its symbols are always known.
constexpr uint8_t kVkByScan[kLastMainScan + 1] = {
    0,    VK_ESCAPE, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', VK_OEM_MINUS, VK_OEM_PLUS, VK_BACK, VK_TAB,
    'Q',  'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', VK_OEM_4, VK_OEM_6, VK_RETURN, VK_CONTROL, 'A', 'S',
    'D',  'F', 'G', 'H', 'J', 'K', 'L', VK_OEM_1, VK_OEM_7, VK_OEM_3, VK_SHIFT, VK_OEM_5, 'Z', 'X', 'C', 'V',
    'B',  'N', 'M', VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2, VK_SHIFT, VK_MULTIPLY, VK_MENU, VK_SPACE, VK_CAPITAL,
    VK_F1, VK_F2, VK_F3, VK_F4, VK_F5,
    VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_NUMLOCK, VK_SCROLL, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0,    0,   0,   0,   0,   0,   kVkOem102, VK_F11, VK_F12,
};
static_assert(kVkByScan[0x1E] == 'A' && kVkByScan[0x39] == VK_SPACE && kVkByScan[kLastMainScan] == VK_F12,
              "scan table rows out of place");

int scan_of_keycode(unsigned keycode) {
    int scan = static_cast<int>(keycode) - 8;
    return scan >= 1 && scan <= kLastMainScan ? scan : 0;
}

KeyTranslation plain(int vk, unsigned keycode) {
    return KeyTranslation{vk, scan_of_keycode(keycode), false};
}

}  // namespace

bool x11_is_keypad_keysym(unsigned long keysym) {
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

KeyTranslation x11_translate_key(unsigned long keysym, unsigned keycode) {
    auto in = [&](unsigned long first, unsigned long last) { return keysym >= first && keysym <= last; };
    const int k = static_cast<int>(keysym & 0xFFFF);
    if (in(XK_a, XK_z)) return plain('A' + (k - XK_a), keycode);
    if (in(XK_A, XK_Z)) return plain('A' + (k - XK_A), keycode);
    if (in(XK_0, XK_9)) return plain('0' + (k - XK_0), keycode);
    if (in(XK_KP_0, XK_KP_9)) return plain(VK_NUMPAD0 + (k - XK_KP_0), keycode);
    if (in(XK_F1, XK_F24)) return plain(VK_F1 + (k - XK_F1), keycode);
    for (const Entry &e : kTable) {
        if (e.sym != keysym) continue;
        return KeyTranslation{e.vk, e.scan != 0 ? e.scan : scan_of_keycode(keycode), e.extended};
    }
    int scan = scan_of_keycode(keycode);
    if (scan != 0 && kVkByScan[scan] != 0) return KeyTranslation{kVkByScan[scan], scan, false};
    return KeyTranslation{0, scan, false};
}

}  // namespace standin
