// The x11 backend's keysym tables held to rules: every key of the US keyboard
// table is reached from its Xlib-named keysym with that key's codes, other
// layouts fall back to the US key in the same place, and what keys type
// comes out as code points. Pure: keysyms and
// evdev keycodes (scan code + 8), no X server.
#include "backends/x11/x11_keymap.h"
#include "backends/x11/x11_text.h"
#include "kernel/us_keyboard.h"

#include <windows.h>

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

// Xlib's keysym names, declared here: Xlib.h's macros clash with GoogleTest.
extern "C" unsigned long XStringToKeysym(const char *name);
extern "C" char *XKeysymToString(unsigned long keysym);

namespace {

using standin::UsKey;
using standin::x11_translate_key;

struct Codes {
    int scan = 0;
    bool extended = false;
};
Codes codes(const UsKey &k) { return Codes{k.scan, k.extended}; }

void expect_key(unsigned long keysym, unsigned keycode, int vk, Codes want) {
    const standin::KeyTranslation t = x11_translate_key(keysym, keycode);
    EXPECT_EQ(t.vk, vk);
    EXPECT_EQ(t.scan, want.scan);
    EXPECT_EQ(t.extended, want.extended);
}

// Every character typed without Shift: its keysym (Latin-1 keysyms are the
// character codes), which the backend looks up as the key's unshifted
// symbol, gives the key that types it.
TEST(X11Keymap, EveryUnshiftedCharacterGivesTheKeyThatTypesIt) {
    int checked = 0;
    for (int c = 0x20; c < 0x7F; ++c) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c)));
        int vk = 0;
        bool shift = false;
        ASSERT_TRUE(standin::us_key_for_char(static_cast<char>(c), &vk, &shift));
        if (shift) continue;
        const char *name = XKeysymToString(static_cast<unsigned long>(c));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(XStringToKeysym(name), static_cast<unsigned long>(c)) << name;
        const UsKey k = standin::us_key(vk);
        expect_key(static_cast<unsigned long>(c), k.scan + 8, vk, codes(k));
        ++checked;
    }
    EXPECT_EQ(checked, 26 + 10 + 12);  // letters, digits, space and 11 punctuation keys
}

bool starts_with(const char *s, const char *prefix) { return std::strncmp(s, prefix, std::strlen(prefix)) == 0; }
bool ends_with(const char *s, const char *suffix) {
    const size_t n = std::strlen(s), m = std::strlen(suffix);
    return n >= m && std::strcmp(s + n - m, suffix) == 0;
}

// Every function-key symbol the table knows, by its Xlib name, against the
// US key of the same virtual key: keypad symbols ("KP_") are the keypad's
// keys, right-hand modifiers ("_R") the right-hand keys.
TEST(X11Keymap, EveryNamedKeyIsItsUsKey) {
    int checked = 0;
    for (unsigned long sym = 0xFF00; sym <= 0xFFFF; ++sym) {
        const char *name = XKeysymToString(sym);
        if (name == nullptr) continue;
        SCOPED_TRACE(name);
        const bool keypad = starts_with(name, "KP_");
        EXPECT_EQ(standin::x11_is_keypad_keysym(sym), keypad);
        const int vk = x11_translate_key(sym, 0).vk;
        if (vk == 0) continue;  // no Windows key here
        int side_vk = vk;
        if (ends_with(name, "_R") && vk == VK_SHIFT) side_vk = VK_RSHIFT;
        if (ends_with(name, "_R") && vk == VK_CONTROL) side_vk = VK_RCONTROL;
        if (ends_with(name, "_R") && vk == VK_MENU) side_vk = VK_RMENU;
        const UsKey want = keypad ? standin::us_keypad_key(vk) : standin::us_key(side_vk);
        if (want.vk == 0) continue;  // a key the US keyboard lacks (F13 and up)
        expect_key(sym, want.scan + 8, vk, codes(want));
        ++checked;
    }
    EXPECT_GT(checked, 60);
}

// Symbols of other layouts fall back to the US key in the same place.
TEST(X11Keymap, UnknownSymbolsFallBackToTheKeyPosition) {
    expect_key(XK_Cyrillic_ef, 38, 'A', {0x1E, false});
    expect_key(XK_ampersand, 10, '1', {0x02, false});  // French digits row
    expect_key(0 /* NoSymbol */, 65, VK_SPACE, {0x39, false});
    expect_key(0, 0x36 + 8, VK_SHIFT, {0x36, false});  // messages carry the generic modifier
    expect_key(0, 0x45 + 8, VK_NUMLOCK, {0x45, true});  // that code is NumLock's place, not Pause's
    // Beyond the set-1 block there is no US key to fall back to.
    expect_key(0x1008FF12 /* XF86AudioMute */, 121, 0, {0, false});
    // Keycodes outside any keyboard give no scan code rather than garbage.
    expect_key(XK_a, 0, 'A', {0, false});
    expect_key(XK_a, 255, 'A', {0, false});
}

// Text from the input method keeps every character, however bad the bytes
// around it: truncated, overlong, surrogate and stray bytes are U+FFFD.
TEST(X11Text, Utf8BecomesCodePointsAndBadBytesOneReplacementEach) {
    auto decode = [](const char *bytes) {
        return standin::x11_utf8_to_code_points(bytes, static_cast<int>(std::strlen(bytes)));
    };
    EXPECT_EQ(decode("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), (std::u32string{U'a', 0xE9, 0x20AC, 0x1F600}));
    EXPECT_EQ(decode("\xE2\x82x\x80y\xE0\x80\x80z\xED\xA0\x80\xC3"),
              (std::u32string{0xFFFD, U'x', 0xFFFD, U'y', 0xFFFD, U'z', 0xFFFD, 0xFFFD}));
}

// Without an input method the keysym says the character: Latin-1, Unicode
// keysyms, the older Latin-2 and Latin-9 ones; keys that type none give 0.
TEST(X11Text, KeysymsGiveTheirCharacters) {
    EXPECT_EQ(standin::x11_keysym_to_unicode(XK_eacute), 0xE9u);
    EXPECT_EQ(standin::x11_keysym_to_unicode(0x100011B), 0x11Bu);  // U011B
    EXPECT_EQ(standin::x11_keysym_to_unicode(XStringToKeysym("ecaron")), 0x11Bu);
    EXPECT_EQ(standin::x11_keysym_to_unicode(XStringToKeysym("OE")), 0x152u);
    EXPECT_EQ(standin::x11_keysym_to_unicode(XK_EuroSign), 0x20ACu);
    const unsigned long none_typed[] = {XK_Return, XK_KP_1, XK_Shift_L, XK_dead_acute, 0x1000007 /* U+0007 */};
    for (unsigned long none : none_typed)
        EXPECT_EQ(standin::x11_keysym_to_unicode(none), 0u) << XKeysymToString(none);
}

}  // namespace
