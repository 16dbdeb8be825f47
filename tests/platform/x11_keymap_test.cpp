// The x11 backend's key table against what Windows reports for the same
// physical keys of a US keyboard: virtual-key code, set-1 scan code and the
// extended flag. Pure: keysyms and evdev keycodes, no X server.
#include "backends/x11/x11_keymap.h"

#include <windows.h>

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using standin::x11_translate_key;

struct Key {
    const char *name;
    unsigned long keysym;
    unsigned keycode;  // evdev keycode of the key that carries this symbol on a pc105 US keymap
    int vk;
    int scan;
    bool extended;
};

void expect_keys(const std::vector<Key> &keys) {
    for (const Key &k : keys) {
        SCOPED_TRACE(k.name);
        standin::KeyTranslation t = x11_translate_key(k.keysym, k.keycode);
        EXPECT_EQ(t.vk, k.vk);
        EXPECT_EQ(t.scan, k.scan);
        EXPECT_EQ(t.extended, k.extended);
    }
}

TEST(X11Keymap, LettersAreCapitalCodesWhateverTheCase) {
    expect_keys({
        {"a", XK_a, 38, 'A', 0x1E, false},
        {"A", XK_A, 38, 'A', 0x1E, false},
        {"q", XK_q, 24, 'Q', 0x10, false},
        {"z", XK_z, 52, 'Z', 0x2C, false},
        {"Z", XK_Z, 52, 'Z', 0x2C, false},
        {"m", XK_m, 58, 'M', 0x32, false},
    });
}

TEST(X11Keymap, TopRowDigits) {
    expect_keys({
        {"1", XK_1, 10, '1', 0x02, false},
        {"5", XK_5, 14, '5', 0x06, false},
        {"9", XK_9, 18, '9', 0x0A, false},
        {"0", XK_0, 19, '0', 0x0B, false},
    });
}

TEST(X11Keymap, KeypadWithNumLockOnGivesNumpadCodes) {
    expect_keys({
        {"KP_7", XK_KP_7, 79, VK_NUMPAD7, 0x47, false},
        {"KP_8", XK_KP_8, 80, VK_NUMPAD8, 0x48, false},
        {"KP_9", XK_KP_9, 81, VK_NUMPAD9, 0x49, false},
        {"KP_4", XK_KP_4, 83, VK_NUMPAD4, 0x4B, false},
        {"KP_5", XK_KP_5, 84, VK_NUMPAD5, 0x4C, false},
        {"KP_6", XK_KP_6, 85, VK_NUMPAD6, 0x4D, false},
        {"KP_1", XK_KP_1, 87, VK_NUMPAD1, 0x4F, false},
        {"KP_2", XK_KP_2, 88, VK_NUMPAD2, 0x50, false},
        {"KP_3", XK_KP_3, 89, VK_NUMPAD3, 0x51, false},
        {"KP_0", XK_KP_0, 90, VK_NUMPAD0, 0x52, false},
        {"KP_Decimal", XK_KP_Decimal, 91, VK_DECIMAL, 0x53, false},
        {"KP_Separator", XK_KP_Separator, 91, VK_DECIMAL, 0x53, false},
    });
}

TEST(X11Keymap, KeypadWithNumLockOffGivesNavigationCodesNotExtended) {
    expect_keys({
        {"KP_Home", XK_KP_Home, 79, VK_HOME, 0x47, false},
        {"KP_Up", XK_KP_Up, 80, VK_UP, 0x48, false},
        {"KP_Prior", XK_KP_Prior, 81, VK_PRIOR, 0x49, false},
        {"KP_Left", XK_KP_Left, 83, VK_LEFT, 0x4B, false},
        {"KP_Begin", XK_KP_Begin, 84, VK_CLEAR, 0x4C, false},
        {"KP_Right", XK_KP_Right, 85, VK_RIGHT, 0x4D, false},
        {"KP_End", XK_KP_End, 87, VK_END, 0x4F, false},
        {"KP_Down", XK_KP_Down, 88, VK_DOWN, 0x50, false},
        {"KP_Next", XK_KP_Next, 89, VK_NEXT, 0x51, false},
        {"KP_Insert", XK_KP_Insert, 90, VK_INSERT, 0x52, false},
        {"KP_Delete", XK_KP_Delete, 91, VK_DELETE, 0x53, false},
    });
}

// Same codes as the keypad with NumLock off; only the extended bit tells them apart.
TEST(X11Keymap, NavigationBlockIsExtended) {
    expect_keys({
        {"Home", XK_Home, 110, VK_HOME, 0x47, true},
        {"Up", XK_Up, 111, VK_UP, 0x48, true},
        {"Prior", XK_Prior, 112, VK_PRIOR, 0x49, true},
        {"Left", XK_Left, 113, VK_LEFT, 0x4B, true},
        {"Right", XK_Right, 114, VK_RIGHT, 0x4D, true},
        {"End", XK_End, 115, VK_END, 0x4F, true},
        {"Down", XK_Down, 116, VK_DOWN, 0x50, true},
        {"Next", XK_Next, 117, VK_NEXT, 0x51, true},
        {"Insert", XK_Insert, 118, VK_INSERT, 0x52, true},
        {"Delete", XK_Delete, 119, VK_DELETE, 0x53, true},
    });
}

TEST(X11Keymap, KeypadOperatorsAndEnter) {
    expect_keys({
        {"KP_Multiply", XK_KP_Multiply, 63, VK_MULTIPLY, 0x37, false},
        {"KP_Subtract", XK_KP_Subtract, 82, VK_SUBTRACT, 0x4A, false},
        {"KP_Add", XK_KP_Add, 86, VK_ADD, 0x4E, false},
        {"KP_Divide", XK_KP_Divide, 106, VK_DIVIDE, 0x35, true},
        {"KP_Enter", XK_KP_Enter, 104, VK_RETURN, 0x1C, true},
        {"Return", XK_Return, 36, VK_RETURN, 0x1C, false},
    });
}

TEST(X11Keymap, EditingKeys) {
    expect_keys({
        {"Escape", XK_Escape, 9, VK_ESCAPE, 0x01, false},
        {"BackSpace", XK_BackSpace, 22, VK_BACK, 0x0E, false},
        {"Tab", XK_Tab, 23, VK_TAB, 0x0F, false},
        {"space", XK_space, 65, VK_SPACE, 0x39, false},
    });
}

TEST(X11Keymap, ModifiersLeftAndRightShareACodeRightOnesExtended) {
    expect_keys({
        {"Shift_L", XK_Shift_L, 50, VK_SHIFT, 0x2A, false},
        {"Shift_R", XK_Shift_R, 62, VK_SHIFT, 0x36, false},
        {"Control_L", XK_Control_L, 37, VK_CONTROL, 0x1D, false},
        {"Control_R", XK_Control_R, 105, VK_CONTROL, 0x1D, true},
        {"Alt_L", XK_Alt_L, 64, VK_MENU, 0x38, false},
        {"Alt_R", XK_Alt_R, 108, VK_MENU, 0x38, true},
        {"ISO_Level3_Shift", XK_ISO_Level3_Shift, 108, VK_MENU, 0x38, true},
        {"Caps_Lock", XK_Caps_Lock, 66, VK_CAPITAL, 0x3A, false},
        {"Num_Lock", XK_Num_Lock, 77, VK_NUMLOCK, 0x45, true},
    });
}

TEST(X11Keymap, FunctionKeys) {
    expect_keys({
        {"F1", XK_F1, 67, VK_F1, 0x3B, false},
        {"F2", XK_F2, 68, VK_F2, 0x3C, false},
        {"F10", XK_F10, 76, VK_F10, 0x44, false},
        {"F11", XK_F11, 95, VK_F11, 0x57, false},
        {"F12", XK_F12, 96, VK_F12, 0x58, false},
    });
}

TEST(X11Keymap, PunctuationUsesUsOemCodes) {
    expect_keys({
        {"semicolon", XK_semicolon, 47, VK_OEM_1, 0x27, false},
        {"equal", XK_equal, 21, VK_OEM_PLUS, 0x0D, false},
        {"comma", XK_comma, 59, VK_OEM_COMMA, 0x33, false},
        {"minus", XK_minus, 20, VK_OEM_MINUS, 0x0C, false},
        {"period", XK_period, 60, VK_OEM_PERIOD, 0x34, false},
        {"slash", XK_slash, 61, VK_OEM_2, 0x35, false},
        {"grave", XK_grave, 49, VK_OEM_3, 0x29, false},
        {"bracketleft", XK_bracketleft, 34, VK_OEM_4, 0x1A, false},
        {"backslash", XK_backslash, 51, VK_OEM_5, 0x2B, false},
        {"bracketright", XK_bracketright, 35, VK_OEM_6, 0x1B, false},
        {"apostrophe", XK_apostrophe, 48, VK_OEM_7, 0x28, false},
    });
}

// Symbols of other layouts fall back to the US key in the same place.
TEST(X11Keymap, UnknownSymbolsFallBackToTheKeyPosition) {
    expect_keys({
        {"Cyrillic ef on the A key", XK_Cyrillic_ef, 38, 'A', 0x1E, false},
        {"French ampersand on the 1 key", XK_ampersand, 10, '1', 0x02, false},
        {"no symbol on the Space key", 0 /* NoSymbol */, 65, VK_SPACE, 0x39, false},
    });
    // Beyond the set-1 block there is no US key to fall back to.
    standin::KeyTranslation t = x11_translate_key(0x1008FF12 /* XF86AudioMute */, 121);
    EXPECT_EQ(t.vk, 0);
    EXPECT_EQ(t.scan, 0);
    // Keycodes outside any keyboard give no scan code rather than garbage.
    EXPECT_EQ(x11_translate_key(XK_a, 0).scan, 0);
    EXPECT_EQ(x11_translate_key(XK_a, 0).vk, 'A');
    EXPECT_EQ(x11_translate_key(XK_a, 255).scan, 0);
}

TEST(X11Keymap, KeypadSymbolsAreRecognised) {
    EXPECT_TRUE(standin::x11_is_keypad_keysym(XK_KP_End));
    EXPECT_TRUE(standin::x11_is_keypad_keysym(XK_KP_1));
    EXPECT_TRUE(standin::x11_is_keypad_keysym(XK_KP_Enter));
    EXPECT_FALSE(standin::x11_is_keypad_keysym(XK_End));
    EXPECT_FALSE(standin::x11_is_keypad_keysym(XK_1));
    EXPECT_FALSE(standin::x11_is_keypad_keysym(XK_Num_Lock));
}

}  // namespace
