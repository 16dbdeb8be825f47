// The US keyboard table held to its rules: one row per virtual key, one key
// per scan position, characters that find their way back to their key,
// Shift columns that agree, the extended keys Windows documents, and the
// keypad's twins of the navigation keys.
#include "kernel/us_keyboard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

using standin::UsKey;
using standin::us_keys;

bool on_keypad(int vk) { return (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) || vk == VK_NUMLOCK; }

std::string name(const UsKey &k) { return "vk " + std::to_string(k.vk) + ", scan " + std::to_string(k.scan); }

TEST(UsKeyboard, NoVirtualKeyTwiceAndEachFoundByIt) {
    std::set<int> seen;
    for (const UsKey &k : us_keys()) {
        SCOPED_TRACE(name(k));
        EXPECT_GT(k.vk, 0);
        EXPECT_LT(k.vk, 0xFF);
        EXPECT_TRUE(seen.insert(k.vk).second);
        EXPECT_EQ(standin::us_key(k.vk).scan, k.scan);
        // Messages carry generic modifier codes, but a key is one side's.
        EXPECT_TRUE(k.vk != VK_SHIFT && k.vk != VK_CONTROL && k.vk != VK_MENU);
    }
    EXPECT_EQ(standin::us_key(VK_SHIFT).vk, VK_LSHIFT);
    EXPECT_EQ(standin::us_key(VK_CONTROL).vk, VK_LCONTROL);
    EXPECT_EQ(standin::us_key(VK_MENU).vk, VK_LMENU);
    EXPECT_EQ(standin::us_key(0).vk, 0);
    EXPECT_EQ(standin::us_key(VK_F12 + 1).vk, 0);  // F13: not on this keyboard
}

TEST(UsKeyboard, EachScanPositionHoldsOneKey) {
    std::set<std::pair<int, bool>> seen;
    for (const UsKey &k : us_keys()) {
        SCOPED_TRACE(name(k));
        EXPECT_GE(k.scan, 0x01);
        EXPECT_LE(k.scan, 0x7F);
        EXPECT_TRUE(seen.insert({k.scan, k.extended}).second);
        EXPECT_EQ(standin::us_key_at(k.scan, k.extended).vk, k.vk);
    }
    EXPECT_EQ(standin::us_key_at(0x7F, true).vk, 0);
}

// The keys that Windows flags extended in lParam: right-hand Alt and Ctrl,
// the navigation block, NumLock, PrintScreen, the Windows and menu keys, and
// the keypad's divide (its Enter is extended too, see the keypad rule).
TEST(UsKeyboard, ExtendedAreTheKeysWindowsFlags) {
    const std::set<int> want = {VK_RMENU, VK_RCONTROL, VK_INSERT, VK_DELETE, VK_HOME,  VK_END,
                                VK_PRIOR, VK_NEXT,     VK_LEFT,   VK_UP,     VK_RIGHT, VK_DOWN,
                                VK_NUMLOCK, VK_SNAPSHOT, VK_LWIN, VK_RWIN,   VK_APPS,  VK_DIVIDE};
    std::set<int> got;
    for (const UsKey &k : us_keys())
        if (k.extended) got.insert(k.vk);
    EXPECT_EQ(got, want);
}

// vk -> character -> vk: each character a key types leads back to that key
// with the same Shift, but the keypad's, which the main block types.
TEST(UsKeyboard, CharactersLeadBackToTheirKey) {
    int checked = 0;
    for (const UsKey &k : us_keys()) {
        SCOPED_TRACE(name(k));
        for (const bool shift : {false, true}) {
            const char c = shift ? k.shifted : k.ch;
            if (c == 0 || (shift && c == k.ch)) continue;
            int vk = 0;
            bool need_shift = !shift;
            ASSERT_TRUE(standin::us_key_for_char(c, &vk, &need_shift)) << c;
            if (on_keypad(k.vk)) {
                EXPECT_FALSE(on_keypad(vk));
                const UsKey main = standin::us_key(vk);
                EXPECT_EQ(need_shift ? main.shifted : main.ch, c);
            } else {
                EXPECT_EQ(vk, k.vk);
                EXPECT_EQ(need_shift, shift);
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 95);
    int vk = 0;
    bool shift = true;
    EXPECT_TRUE(standin::us_key_for_char('\n', &vk, &shift));  // typed with Enter, like '\r'
    EXPECT_EQ(vk, VK_RETURN);
    EXPECT_FALSE(shift);
    EXPECT_FALSE(standin::us_key_for_char('\x01', &vk, &shift));
    EXPECT_FALSE(standin::us_key_for_char('\xE9', &vk, &shift));
    EXPECT_FALSE(standin::us_key_for_char('\0', &vk, &shift));
}

// A key types with Shift exactly when it types without; letters are the
// upper case of their character and named by it; Shift leaves control
// characters, space and the keypad alone; the main block types every
// printable ASCII character once.
TEST(UsKeyboard, ShiftedCharactersAgree) {
    std::map<char, int> typed;  // printable character -> how many (key, Shift) type it
    for (const UsKey &k : us_keys()) {
        SCOPED_TRACE(name(k));
        EXPECT_EQ(k.ch == 0, k.shifted == 0);
        if (k.ch == 0) continue;
        if (k.vk >= 'A' && k.vk <= 'Z') {
            EXPECT_EQ(k.ch, k.vk - 'A' + 'a');
            EXPECT_EQ(k.shifted, k.vk);
        } else if (k.vk >= '0' && k.vk <= '9') {
            EXPECT_EQ(k.ch, k.vk);
        }
        if (k.ch < 0x20 || k.ch == ' ' || on_keypad(k.vk)) EXPECT_EQ(k.shifted, k.ch);
        else EXPECT_NE(k.shifted, k.ch);
        if (on_keypad(k.vk)) continue;
        for (const char c : std::set<char>{k.ch, k.shifted})
            if (c >= 0x20 && c < 0x7F) ++typed[c];
    }
    EXPECT_EQ(typed.size(), 95u);
    for (const auto &[c, n] : typed) EXPECT_EQ(n, 1) << c;
}

// The keypad keys are their table rows; with NumLock off they send the
// navigation keys, at the keypad's own (unextended) position; its Enter is
// the main Enter, extended.
TEST(UsKeyboard, KeypadTwinsDifferByTheExtendedFlag) {
    for (const UsKey &k : us_keys()) {
        SCOPED_TRACE(name(k));
        const UsKey pad = standin::us_keypad_key(k.vk);
        if (on_keypad(k.vk)) {
            EXPECT_EQ(pad.scan, k.scan);
            EXPECT_EQ(pad.extended, k.extended);
        } else if (pad.vk != 0 && k.vk != VK_RETURN) {
            EXPECT_TRUE(k.extended);
            EXPECT_FALSE(pad.extended);
            EXPECT_EQ(pad.scan, k.scan);
            EXPECT_TRUE(on_keypad(standin::us_key_at(pad.scan, false).vk));
        }
    }
    for (int vk : {VK_INSERT, VK_END, VK_DOWN, VK_NEXT, VK_LEFT, VK_RIGHT, VK_HOME, VK_UP, VK_PRIOR, VK_DELETE})
        EXPECT_NE(standin::us_keypad_key(vk).vk, 0) << vk;
    const UsKey enter = standin::us_keypad_key(VK_RETURN);
    EXPECT_EQ(enter.scan, standin::us_key(VK_RETURN).scan);
    EXPECT_TRUE(enter.extended);
    // VK_CLEAR is the keypad's 5 with NumLock off, and nothing else sends it.
    EXPECT_EQ(standin::us_key(VK_CLEAR).scan, standin::us_key(VK_NUMPAD5).scan);
    EXPECT_FALSE(standin::us_key(VK_CLEAR).extended);
    EXPECT_EQ(standin::us_key(VK_CLEAR).ch, 0);
    for (int vk : {int{'A'}, VK_SPACE, VK_SNAPSHOT, VK_RCONTROL, VK_F1}) EXPECT_EQ(standin::us_keypad_key(vk).vk, 0) << vk;
}

}  // namespace
