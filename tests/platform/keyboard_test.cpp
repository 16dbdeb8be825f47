// Key messages and TranslateMessage: characters of a US layout (letters with
// Shift and CapsLock, digits and punctuation, Ctrl+letter control codes,
// Enter, keypad digits with NumLock), keys without characters, system keys,
// the lParam bits, and which window receives keys.
#include "user/window_hooks.h"
#include "window_recorder.h"

using namespace user_test;
using Names = std::vector<std::string>;

namespace {

class Keyboard : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        window = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
        drain();
        log().clear();
    }
    // The characters that one key press produces through the message loop.
    std::vector<int> chars_of(int vk, unsigned mods = 0, unsigned locks = 0) {
        standin::headless_set_locks(locks);
        standin::headless_key_press(vk, mods);
        log().clear();
        drain();
        std::vector<int> out;
        for (const Record &r : log())
            if (r.msg == WM_CHAR || r.msg == WM_SYSCHAR) out.push_back(static_cast<int>(r.wParam));
        return out;
    }
    HWND window = nullptr;
};

using Chars = std::vector<int>;

TEST_F(Keyboard, LettersFollowShiftXorCapsLock) {
    EXPECT_EQ(chars_of('A'), Chars{'a'});
    EXPECT_EQ(chars_of('A', standin::kKeyShift), Chars{'A'});
    EXPECT_EQ(chars_of('Q', 0, standin::kKeyCapsLock), Chars{'Q'});
    EXPECT_EQ(chars_of('Q', standin::kKeyShift, standin::kKeyCapsLock), Chars{'q'});
}

TEST_F(Keyboard, DigitsAndPunctuationFollowShiftOnly) {
    EXPECT_EQ(chars_of('1'), Chars{'1'});
    EXPECT_EQ(chars_of('1', standin::kKeyShift), Chars{'!'});
    EXPECT_EQ(chars_of('0', standin::kKeyShift), Chars{')'});
    EXPECT_EQ(chars_of('5', 0, standin::kKeyCapsLock), Chars{'5'});
    EXPECT_EQ(chars_of(VK_OEM_2), Chars{'/'});
    EXPECT_EQ(chars_of(VK_OEM_2, standin::kKeyShift), Chars{'?'});
    EXPECT_EQ(chars_of(VK_OEM_7, standin::kKeyShift, standin::kKeyCapsLock), Chars{'"'});
}

TEST_F(Keyboard, CtrlLettersGiveControlCodes) {
    EXPECT_EQ(chars_of('A', standin::kKeyControl), Chars{0x01});
    EXPECT_EQ(chars_of('Q', standin::kKeyControl), Chars{0x11});
    EXPECT_EQ(chars_of('Z', standin::kKeyControl | standin::kKeyShift), Chars{0x1A});
    EXPECT_EQ(chars_of('H', standin::kKeyControl, standin::kKeyCapsLock), Chars{0x08});
    EXPECT_EQ(chars_of('5', standin::kKeyControl), Chars{});  // Ctrl+digit: nothing
}

TEST_F(Keyboard, ControlKeysGiveTheirCodes) {
    EXPECT_EQ(chars_of(VK_RETURN), Chars{0x0D});
    EXPECT_EQ(chars_of(VK_RETURN, standin::kKeyShift), Chars{0x0D});
    EXPECT_EQ(chars_of(VK_RETURN, standin::kKeyControl), Chars{0x0A});
    EXPECT_EQ(chars_of(VK_BACK), Chars{0x08});
    EXPECT_EQ(chars_of(VK_TAB), Chars{0x09});
    EXPECT_EQ(chars_of(VK_ESCAPE), Chars{0x1B});
    EXPECT_EQ(chars_of(VK_SPACE), Chars{0x20});
}

TEST_F(Keyboard, KeypadDigitsWithNumLockAndNothingWithoutIt) {
    for (int d = 0; d <= 9; ++d) EXPECT_EQ(chars_of(VK_NUMPAD0 + d, 0, standin::kKeyNumLock), Chars{'0' + d});
    EXPECT_EQ(chars_of(VK_ADD, 0, standin::kKeyNumLock), Chars{'+'});
    // NumLock off: the backend sends navigation keys, which give no character.
    for (int vk : {VK_INSERT, VK_END, VK_DOWN, VK_NEXT, VK_LEFT, VK_CLEAR, VK_RIGHT, VK_HOME, VK_UP, VK_PRIOR,
                   VK_DELETE})
        EXPECT_EQ(chars_of(vk), Chars{}) << vk;
}

TEST_F(Keyboard, KeysWithoutCharactersGiveNoCharMessage) {
    for (int vk : {VK_LEFT, VK_F1, VK_F12, VK_SHIFT, VK_CONTROL, VK_CAPITAL, VK_NUMLOCK, VK_PAUSE})
        EXPECT_EQ(chars_of(vk), Chars{}) << vk;
    EXPECT_EQ(names(window), (Names{"WM_KEYDOWN", "WM_KEYUP"}));
}

// What a host's own layout typed wins over the US table, in Windows-1252:
// a French keyboard's keys, a dead key, AltGr, a character
// 1252 lacks, and text that came without a key.
TEST_F(Keyboard, TheHostLayoutsCharacterArrivesInWindows1252) {
    using standin::InputEvent;
    auto typed = [&](int vk, int32_t ch, unsigned mods = 0, InputEvent::Kind kind = InputEvent::Kind::KeyDown) {
        InputEvent e;
        e.kind = kind;
        e.vk = vk;
        e.typed = ch;
        e.mods = mods;
        standin::headless_inject(e);
        if (kind == InputEvent::Kind::KeyDown) standin::headless_key_up(vk, mods);
        log().clear();
        drain();
        std::vector<std::pair<UINT, int>> out;
        for (const Record &r : log())
            if (r.msg == WM_CHAR || r.msg == WM_SYSCHAR || r.msg == WM_UNICHAR)
                out.emplace_back(r.msg, static_cast<int>(r.wParam));
        return out;
    };
    using Got = std::vector<std::pair<UINT, int>>;
    EXPECT_EQ(typed('1', '&'), (Got{{WM_CHAR, '&'}}));
    EXPECT_EQ(typed('1', '1', standin::kKeyShift), (Got{{WM_CHAR, '1'}}));
    EXPECT_EQ(typed('2', 0xE9), (Got{{WM_CHAR, 233}}));             // é
    EXPECT_EQ(typed('E', 0x20AC, standin::kKeyControl | standin::kKeyAlt), (Got{{WM_CHAR, 0x80}}));  // AltGr: €
    EXPECT_EQ(typed(VK_OEM_6, InputEvent::kTypedNothing), Got{});  // a dead key
    EXPECT_EQ(typed('R', 0x159), (Got{{WM_UNICHAR, 0x159}}));       // ř: no byte in 1252
    EXPECT_EQ(typed(0, 0xEB, 0, InputEvent::Kind::Text), (Got{{WM_CHAR, 0xEB}}));  // ë from an input method
    EXPECT_EQ(typed(VK_RETURN, InputEvent::kTypedByTable), (Got{{WM_CHAR, 0x0D}}));
}

TEST_F(Keyboard, CharComesBetweenKeyDownAndKeyUp) {
    standin::headless_key_press('A');
    drain();
    EXPECT_EQ(names(window), (Names{"WM_KEYDOWN", "WM_CHAR", "WM_KEYUP"}));
    // Auto-repeat: KEYDOWN, CHAR for each repeat, one KEYUP.
    log().clear();
    standin::headless_key_down('B');
    standin::headless_key_repeat('B');
    standin::headless_key_up('B');
    drain();
    EXPECT_EQ(names(window), (Names{"WM_KEYDOWN", "WM_CHAR", "WM_KEYDOWN", "WM_CHAR", "WM_KEYUP"}));
}

TEST_F(Keyboard, TypedTextComesBackCharacterForCharacter) {
    const std::string text = "Hello, World! 0-9 ~`[]{}|\\;:'\"<>?/=+_*&^%$#@()";
    EXPECT_TRUE(standin::headless_type_text(text.c_str()));
    drain();
    std::string got;
    for (const Record &r : records(window, WM_CHAR)) got += static_cast<char>(r.wParam);
    EXPECT_EQ(got, text);
    // Under CapsLock the helper still types what it is given.
    log().clear();
    standin::headless_set_locks(standin::kKeyCapsLock);
    standin::headless_type_text("aB");
    drain();
    got.clear();
    for (const Record &r : records(window, WM_CHAR)) got += static_cast<char>(r.wParam);
    EXPECT_EQ(got, "aB");
    EXPECT_FALSE(standin::headless_type_text("x\x01y\xE9"));  // no key for 0x01 or 0xE9
}

TEST_F(Keyboard, LParamCarriesScanCodeRepeatAndTransitionBits) {
    standin::headless_key_down('A');
    standin::headless_key_repeat('A');
    standin::headless_key_up('A');
    standin::headless_key_press(VK_LEFT);
    drain();
    const std::vector<Record> downs = records(window, WM_KEYDOWN);
    const std::vector<Record> ups = records(window, WM_KEYUP);
    const std::vector<Record> chars = records(window, WM_CHAR);
    ASSERT_EQ(downs.size(), 3u);
    ASSERT_EQ(ups.size(), 2u);
    ASSERT_EQ(chars.size(), 2u);
    const uint32_t a_scan = 0x1E;
    EXPECT_EQ(static_cast<uint32_t>(downs[0].lParam), 0x00000001u | a_scan << 16);
    EXPECT_EQ(static_cast<uint32_t>(downs[1].lParam), 0x40000001u | a_scan << 16);  // previous state set
    EXPECT_EQ(static_cast<uint32_t>(ups[0].lParam), 0xC0000001u | a_scan << 16);
    EXPECT_EQ(chars[0].lParam, downs[0].lParam);  // WM_CHAR copies the key-down's lParam
    EXPECT_EQ(static_cast<uint32_t>(downs[2].lParam), 0x01000001u | 0x4Bu << 16);  // extended
    EXPECT_EQ(downs[2].wParam, static_cast<WPARAM>(VK_LEFT));
}

TEST_F(Keyboard, SideSpecificModifiersArriveAsGenericCodes) {
    standin::headless_key_press(VK_RCONTROL);
    standin::headless_key_press(VK_LSHIFT);
    drain();
    const std::vector<Record> downs = records(window, WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_CONTROL));
    EXPECT_NE(downs[0].lParam & (1 << 24), 0);  // right Ctrl is extended
    EXPECT_EQ(downs[1].wParam, static_cast<WPARAM>(VK_SHIFT));
}

TEST_F(Keyboard, AltAndF10MakeSystemKeysForTheMenuHook) {
    static std::vector<std::pair<UINT, WPARAM>> sys;
    sys.clear();
    standin::MenuHooks hooks;
    hooks.sys_key = [](HWND, UINT msg, WPARAM wParam, LPARAM) { sys.emplace_back(msg, wParam); };
    standin::set_menu_hooks(hooks);
    standin::headless_key_down(VK_MENU, standin::kKeyAlt);
    standin::headless_key_press('R', standin::kKeyAlt);
    standin::headless_key_up(VK_MENU);
    standin::headless_key_press(VK_F10);
    drain();
    EXPECT_EQ(names(window), (Names{"WM_SYSKEYDOWN", "WM_SYSKEYDOWN", "WM_SYSCHAR", "WM_SYSKEYUP", "WM_SYSKEYUP",
                                    "WM_SYSKEYDOWN", "WM_SYSKEYUP"}));
    const Record r_down = records(window, WM_SYSKEYDOWN).at(1);
    EXPECT_NE(r_down.lParam & (1 << 29), 0);  // context: Alt held
    EXPECT_EQ(records(window, WM_SYSCHAR).at(0).wParam, static_cast<WPARAM>('r'));
    // DefWindowProcA handed each of them to the menu code.
    EXPECT_EQ(sys.size(), 7u);
    EXPECT_EQ(sys.at(2), (std::pair<UINT, WPARAM>{WM_SYSCHAR, 'r'}));
}

TEST_F(Keyboard, TranslateMessageResultAndPostedKeys) {
    MSG key{window, WM_KEYDOWN, 'G', 0x00220001, 0, {}};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG up{window, WM_KEYUP, 'G', static_cast<LPARAM>(0xC0220001u), 0, {}};
    EXPECT_TRUE(TranslateMessage(&up));
    MSG other{window, WM_USER, 0, 0, 0, {}};
    EXPECT_FALSE(TranslateMessage(&other));
    EXPECT_FALSE(TranslateMessage(nullptr));
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>('g'));
    EXPECT_EQ(m.lParam, 0x00220001);

    // A key-down forwarded by another window (as the text window does) is
    // translated for the window it was posted to.
    HWND target = top();
    PostMessageA(target, WM_KEYDOWN, 'K', 0x00250001);
    log().clear();
    drain();
    EXPECT_EQ(names(target), (Names{"WM_KEYDOWN", "WM_CHAR"}));
    EXPECT_EQ(records(target, WM_CHAR).at(0).wParam, static_cast<WPARAM>('k'));
}

TEST_F(Keyboard, KeysGoToTheFocusWindowAndNotToDisabledOnes) {
    HWND c = child(window, 0, 0, 10, 10);
    SetFocus(c);
    drain();  // the new child's first paint
    log().clear();
    standin::headless_key_press('A');
    drain();
    EXPECT_EQ(names(c), (Names{"WM_KEYDOWN", "WM_CHAR", "WM_KEYUP"}));
    EXPECT_EQ(names(window), Names{});

    // A window without the focus gets nothing; the active window takes keys
    // when nothing has the focus.
    SetFocus(nullptr);
    log().clear();
    standin::headless_key_press('B');
    drain();
    EXPECT_EQ(names(window), (Names{"WM_KEYDOWN", "WM_CHAR", "WM_KEYUP"}));

    EnableWindow(window, FALSE);
    log().clear();
    standin::headless_key_press('C');
    drain();
    EXPECT_TRUE(log().empty());
}

TEST_F(Keyboard, MenuHookSeesKeysFirstAndMaySwallowThem) {
    static int seen = 0;
    seen = 0;
    standin::MenuHooks hooks;
    hooks.input = [](HWND, const standin::InputEvent &e) {
        ++seen;
        return e.vk == VK_ESCAPE;  // an open popup would keep Escape for itself
    };
    standin::set_menu_hooks(hooks);
    standin::headless_key_press(VK_ESCAPE);
    standin::headless_key_press('A');
    drain();
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(names(window), (Names{"WM_KEYDOWN", "WM_CHAR", "WM_KEYUP"}));
    EXPECT_EQ(records(window, WM_KEYDOWN).at(0).wParam, static_cast<WPARAM>('A'));
}

}  // namespace
