// The x11 backend's key table held to rules instead of restated: every key
// of a US keyboard gives the virtual key, set-1 scan code and extended flag
// that the headless backend's US keyboard gives for it, keysyms are named as
// Xlib names them, and other layouts fall back to the US key in the same
// place. Pure: keysyms and evdev keycodes (scan code + 8), no X server.
#include "backends/x11/x11_keymap.h"
#include "backends/headless/headless_internal.h"

#include <windows.h>

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

// Xlib's keysym names, declared here: Xlib.h's macros clash with GoogleTest.
extern "C" unsigned long XStringToKeysym(const char *name);
extern "C" char *XKeysymToString(unsigned long keysym);

namespace {

using standin::x11_translate_key;

struct UsKey {
    int scan = 0;
    bool extended = false;
};
UsKey headless_key(int vk) {
    UsKey k;
    standin::us_scan_code(vk, &k.scan, &k.extended);
    return k;
}

void expect_key(unsigned long keysym, unsigned keycode, int vk, UsKey want) {
    const standin::KeyTranslation t = x11_translate_key(keysym, keycode);
    EXPECT_EQ(t.vk, vk);
    EXPECT_EQ(t.scan, want.scan);
    EXPECT_EQ(t.extended, want.extended);
}

// Every character typed without Shift, by the key that types it on the
// headless backend's US keyboard: the character's keysym (Latin-1 keysyms
// are the character codes), which the backend looks up as the key's
// unshifted symbol, gives the same virtual key and scan code on that key.
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
        const UsKey k = headless_key(vk);
        ASSERT_NE(k.scan, 0);
        expect_key(static_cast<unsigned long>(c), k.scan + 8, vk, k);
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
// headless keyboard's key of the same virtual key. What the name tells:
// keypad keys ("KP_") are not extended but for Enter and '/', however the
// navigation key they double as is; right-hand modifiers ("_R") are the
// right-hand keys.
TEST(X11Keymap, EveryNamedKeyMatchesTheHeadlessKeyboard) {
    int checked = 0;
    for (unsigned long sym = 0xFF00; sym <= 0xFFFF; ++sym) {
        const char *name = XKeysymToString(sym);
        if (name == nullptr) continue;
        SCOPED_TRACE(name);
        EXPECT_EQ(standin::x11_is_keypad_keysym(sym), starts_with(name, "KP_"));
        const int vk = x11_translate_key(sym, 0).vk;
        if (vk == 0) continue;  // no Windows key here
        int side_vk = vk;
        if (ends_with(name, "_R") && vk == VK_SHIFT) side_vk = VK_RSHIFT;
        if (ends_with(name, "_R") && vk == VK_CONTROL) side_vk = VK_RCONTROL;
        if (ends_with(name, "_R") && vk == VK_MENU) side_vk = VK_RMENU;
        UsKey want = headless_key(side_vk);
        if (want.scan == 0) continue;  // a key the headless keyboard lacks
        if (starts_with(name, "KP_")) want.extended = vk == VK_RETURN || vk == VK_DIVIDE;
        // Windows flags NumLock as extended; the headless keyboard does not.
        if (vk == VK_NUMLOCK) want.extended = true;
        expect_key(sym, want.scan + 8, vk, want);
        ++checked;
    }
    EXPECT_GT(checked, 60);
}

// Symbols of other layouts fall back to the US key in the same place.
TEST(X11Keymap, UnknownSymbolsFallBackToTheKeyPosition) {
    expect_key(XK_Cyrillic_ef, 38, 'A', {0x1E, false});
    expect_key(XK_ampersand, 10, '1', {0x02, false});  // French digits row
    expect_key(0 /* NoSymbol */, 65, VK_SPACE, {0x39, false});
    // Beyond the set-1 block there is no US key to fall back to.
    expect_key(0x1008FF12 /* XF86AudioMute */, 121, 0, {0, false});
    // Keycodes outside any keyboard give no scan code rather than garbage.
    expect_key(XK_a, 0, 'A', {0, false});
    expect_key(XK_a, 255, 'A', {0, false});
}

}  // namespace
