// X keysyms to the virtual keys of a US keyboard; scan codes and extended
// flags come from the US keyboard table, or from the keycode, which with
// evdev keycodes (keycode - 8 = set-1 scan code) gives the key's position.
#include "backends/x11/x11_keymap.h"

#include "kernel/us_keyboard.h"

#include <windows.h>

#include <X11/keysym.h>

namespace standin {
namespace {

struct Entry {
    unsigned long sym;
    int vk;  // side-specific for the modifiers, so the table gives the right-hand keys' codes
};

// The symbols that are not letters, digits, keypad digits or function keys.
constexpr Entry kTable[] = {
    {XK_Return, VK_RETURN},
    {XK_Escape, VK_ESCAPE},
    {XK_BackSpace, VK_BACK},
    {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},
    {XK_space, VK_SPACE},

    {XK_Shift_L, VK_LSHIFT},
    {XK_Shift_R, VK_RSHIFT},
    {XK_Control_L, VK_LCONTROL},
    {XK_Control_R, VK_RCONTROL},
    {XK_Alt_L, VK_LMENU},
    {XK_Meta_L, VK_LMENU},
    {XK_Alt_R, VK_RMENU},
    {XK_ISO_Level3_Shift, VK_RMENU},  // right Alt on layouts with AltGr
    {XK_Caps_Lock, VK_CAPITAL},
    {XK_Num_Lock, VK_NUMLOCK},
    {XK_Scroll_Lock, VK_SCROLL},
    {XK_Pause, VK_PAUSE},
    {XK_Print, VK_SNAPSHOT},
    {XK_Super_L, VK_LWIN},
    {XK_Super_R, VK_RWIN},
    {XK_Menu, VK_APPS},

    {XK_Insert, VK_INSERT},
    {XK_Delete, VK_DELETE},
    {XK_Home, VK_HOME},
    {XK_End, VK_END},
    {XK_Prior, VK_PRIOR},
    {XK_Next, VK_NEXT},
    {XK_Left, VK_LEFT},
    {XK_Up, VK_UP},
    {XK_Right, VK_RIGHT},
    {XK_Down, VK_DOWN},

    // Punctuation of the US layout.
    {XK_semicolon, VK_OEM_1},
    {XK_equal, VK_OEM_PLUS},
    {XK_comma, VK_OEM_COMMA},
    {XK_minus, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD},
    {XK_slash, VK_OEM_2},
    {XK_grave, VK_OEM_3},
    {XK_bracketleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5},
    {XK_bracketright, VK_OEM_6},
    {XK_apostrophe, VK_OEM_7},
    {XK_less, VK_OEM_102},

    // Keypad symbols; with NumLock off its keys are the navigation keys.
    {XK_KP_Decimal, VK_DECIMAL},
    {XK_KP_Separator, VK_DECIMAL},  // layouts with a decimal comma
    {XK_KP_Insert, VK_INSERT},
    {XK_KP_End, VK_END},
    {XK_KP_Down, VK_DOWN},
    {XK_KP_Next, VK_NEXT},
    {XK_KP_Left, VK_LEFT},
    {XK_KP_Begin, VK_CLEAR},
    {XK_KP_Right, VK_RIGHT},
    {XK_KP_Home, VK_HOME},
    {XK_KP_Up, VK_UP},
    {XK_KP_Prior, VK_PRIOR},
    {XK_KP_Delete, VK_DELETE},
    {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},
    {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Divide, VK_DIVIDE},
    {XK_KP_Enter, VK_RETURN},
};

// Last set-1 code whose evdev keycode is keycode - 8 (F12).
constexpr int kLastMainScan = 0x58;

int scan_of_keycode(unsigned keycode) {
    int scan = static_cast<int>(keycode) - 8;
    return scan >= 1 && scan <= kLastMainScan ? scan : 0;
}

int vk_of_keysym(unsigned long keysym) {
    auto in = [&](unsigned long first, unsigned long last) { return keysym >= first && keysym <= last; };
    const int k = static_cast<int>(keysym & 0xFFFF);
    if (in(XK_a, XK_z)) return 'A' + (k - XK_a);
    if (in(XK_A, XK_Z)) return 'A' + (k - XK_A);
    if (in(XK_0, XK_9)) return '0' + (k - XK_0);
    if (in(XK_KP_0, XK_KP_9)) return VK_NUMPAD0 + (k - XK_KP_0);
    if (in(XK_F1, XK_F24)) return VK_F1 + (k - XK_F1);
    for (const Entry &e : kTable)
        if (e.sym == keysym) return e.vk;
    return 0;
}

}  // namespace

bool x11_is_keypad_keysym(unsigned long keysym) {
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

KeyTranslation x11_translate_key(unsigned long keysym, unsigned keycode) {
    const int scan = scan_of_keycode(keycode);
    if (const int vk = vk_of_keysym(keysym); vk != 0) {
        const UsKey us = x11_is_keypad_keysym(keysym) ? us_keypad_key(vk) : us_key(vk);
        // The E0 keys and Pause have evdev codes beyond the set-1 block, so
        // their code is the table's; the others report where the key is, as
        // Windows does on other layouts. Keys the US keyboard lacks (F13 and
        // up) have only their position.
        const bool table_scan = us.extended || vk == VK_PAUSE;
        return KeyTranslation{us_generic_vk(vk), table_scan ? us.scan : scan, us.extended};
    }
    // Symbols of other layouts (Cyrillic letters, French digits row): the key
    // in that place on a US keyboard. The keypad is left out, its symbols are
    // always known; set-1 code 0x45 without E0 is where NumLock sits (Pause
    // is beyond the block).
    UsKey us = us_key_at(scan, false);
    if (us.vk == VK_PAUSE) us = us_key(VK_NUMLOCK);
    if (scan == 0 || us.vk == 0 || (us.vk >= VK_NUMPAD0 && us.vk <= VK_DIVIDE)) return KeyTranslation{0, scan, false};
    return KeyTranslation{us_generic_vk(us.vk), scan, us.extended};
}

}  // namespace standin
