// The menu from the keyboard: Alt+mnemonic, Alt alone and F10 select the
// bar, arrows move (separators skipped, greyed items lit but never chosen),
// Enter and mnemonic letters choose, Escape closes, and while a menu is
// active its keys never reach the window procedure. Ctrl+letter shortcut
// texts are only labels.
#include "menu_test_support.h"

#include "user/window_hooks.h"

using namespace user_test;
using namespace menu_test;
using Names = std::vector<std::string>;

namespace {

class MenuKeyboard : public MenuTest {
protected:
    HWND h = nullptr;
    void SetUp() override {
        MenuTest::SetUp();
        h = window_with_menu();
    }
    bool open() {
        RECT r{};
        return popup_rect(h, &r);
    }
    void press(int vk, unsigned mods = 0) { standin::headless_key_press(vk, mods); }
    // Key messages that reached the window procedure.
    Names keys() { return names(h, {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR}); }
};

TEST_F(MenuKeyboard, AltMnemonicOpensWithTheFirstItemLit) {
    alt_r();
    drain();
    EXPECT_TRUE(open());
    // The keys that opened it were the window's: Alt down, R down, the
    // character, and their releases.
    EXPECT_EQ(keys(), (Names{"WM_SYSKEYDOWN", "WM_SYSKEYDOWN", "WM_SYSCHAR", "WM_SYSKEYUP", "WM_SYSKEYUP"}));
    press(VK_DOWN);
    press(VK_RETURN);
    drain();
    EXPECT_FALSE(open());
    EXPECT_EQ(commands(h), std::vector<UINT>{kHalt});
}

TEST_F(MenuKeyboard, AltAloneOrF10SelectsTheBarAndEnterOrDownOpens) {
    const Picture plain = window_pixels(h);
    standin::headless_key_down(VK_MENU, standin::kKeyAlt);
    standin::headless_key_up(VK_MENU);
    drain();
    EXPECT_FALSE(open());
    EXPECT_NE(window_pixels(h).pixels, plain.pixels) << "the selected bar item stands out";
    press(VK_RETURN);
    drain();
    ASSERT_TRUE(open());
    press(VK_RETURN);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{kAnimate});
    EXPECT_EQ(window_pixels(h).pixels, plain.pixels);

    log().clear();
    press(VK_F10);
    press(VK_DOWN);
    drain();
    ASSERT_TRUE(open());
    press(VK_ESCAPE);
    drain();
    EXPECT_FALSE(open());
    EXPECT_TRUE(commands(h).empty());
    EXPECT_EQ(window_pixels(h).pixels, plain.pixels);

    // Alt again leaves the bar; a key between Alt's press and release does not select it.
    standin::headless_key_down(VK_MENU, standin::kKeyAlt);
    standin::headless_key_up(VK_MENU);
    standin::headless_key_down(VK_MENU, standin::kKeyAlt);
    standin::headless_key_up(VK_MENU);
    drain();
    EXPECT_EQ(window_pixels(h).pixels, plain.pixels);
    standin::headless_key_down(VK_MENU, standin::kKeyAlt);
    press('X', standin::kKeyAlt);
    standin::headless_key_up(VK_MENU);
    drain();
    EXPECT_EQ(window_pixels(h).pixels, plain.pixels);
    log().clear();
    press('A');
    drain();
    EXPECT_EQ(keys(), (Names{"WM_KEYDOWN", "WM_CHAR", "WM_KEYUP"}));
}

TEST_F(MenuKeyboard, MnemonicLettersChooseTheirItems) {
    const struct {
        int vk;
        UINT id;
    } cases[] = {{'A', kAnimate}, {'F', kAdvance}, {'L', kLogging}, {'O', kPlayOne}, {'Q', kQuit}};
    std::vector<UINT> expected;
    for (const auto &c : cases) {
        alt_r();
        press(c.vk);
        drain();
        EXPECT_FALSE(open());
        expected.push_back(c.id);
    }
    EXPECT_EQ(commands(h), expected);
    // With Shift, and a letter no item has: nothing happens and it stays open.
    log().clear();
    alt_r();
    press('Z');
    drain();
    EXPECT_TRUE(open());
    press('H', standin::kKeyShift);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{kHalt});
}

TEST_F(MenuKeyboard, ArrowsSkipSeparatorsWrapAndLightGreyedItemsWithoutChoosingThem) {
    alt_r();
    // Animate -> Halt -> Advance -> (separator) -> Logging.
    press(VK_DOWN);
    press(VK_DOWN);
    press(VK_DOWN);
    press(VK_RETURN);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{kLogging});

    // Up from the first item wraps to the last, a greyed line: Enter does nothing.
    log().clear();
    alt_r();
    press(VK_UP);
    drain();
    int top = 0, bottom = 0;
    row_span(kRowCount - 1, &top, &bottom);
    const Picture p = presented();
    int navy = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < 300; ++x) navy += p.at(x, y) == 0x00000080u;
    EXPECT_GT(navy, 100) << "the greyed line is lit";
    press(VK_RETURN);
    drain();
    EXPECT_TRUE(open());
    EXPECT_TRUE(commands(h).empty());
    // Up past the greyed lines and the separator reaches Quit.
    for (int i = 0; i < 4; ++i) press(VK_UP);
    press(VK_RETURN);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{kQuit});
}

TEST_F(MenuKeyboard, LeftAndRightWrapToTheOnlyDropDown) {
    alt_r();
    press(VK_DOWN);
    press(VK_RIGHT);  // reopened: the first item lit again
    press(VK_RETURN);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{kAnimate});
    log().clear();
    alt_r();
    press(VK_LEFT);
    press(VK_DOWN);
    press(VK_RETURN);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{kHalt});
}

TEST_F(MenuKeyboard, KeysWhileOpenNeverReachTheWindow) {
    alt_r();
    drain();
    log().clear();
    standin::headless_type_text("xyz 1");
    press(VK_DOWN);
    press(VK_F5);
    press('A', standin::kKeyControl);
    press(VK_ESCAPE);
    drain();
    EXPECT_FALSE(open());
    EXPECT_EQ(keys(), Names{});
    EXPECT_TRUE(commands(h).empty());
    // Closed again: keys are the window's.
    press('B');
    drain();
    EXPECT_EQ(keys(), (Names{"WM_KEYDOWN", "WM_CHAR", "WM_KEYUP"}));
}

TEST_F(MenuKeyboard, ReleaseOfAKeyHeldBeforeOpeningStillReachesTheWindow) {
    // The library follows Ctrl through its key-down and key-up messages.
    standin::headless_key_down(VK_CONTROL, standin::kKeyControl);
    drain();
    click_bar(h);
    drain();
    standin::headless_key_up(VK_CONTROL);
    drain();
    EXPECT_EQ(keys(), (Names{"WM_KEYDOWN", "WM_KEYUP"}));
    EXPECT_EQ(records(h, WM_KEYUP).at(0).wParam, static_cast<WPARAM>(VK_CONTROL));
    EXPECT_TRUE(open());
}

TEST_F(MenuKeyboard, CtrlShortcutTextsAreNotAccelerators) {
    standin::headless_key_down(VK_CONTROL, standin::kKeyControl);
    press('A', standin::kKeyControl);
    press('Q', standin::kKeyControl);
    standin::headless_key_up(VK_CONTROL);
    drain();
    EXPECT_TRUE(commands(h).empty());
    EXPECT_FALSE(open());
    const std::vector<Record> downs = records(h, WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[1].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(downs[2].wParam, static_cast<WPARAM>('Q'));
}

TEST_F(MenuKeyboard, AWindowThatKeepsSystemKeysGetsNoMenu) {
    set_handler([](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP || msg == WM_SYSCHAR) return 0;
        return std::nullopt;
    });
    alt_r();
    press(VK_F10);
    drain();
    EXPECT_FALSE(open());
    press(VK_RETURN);
    drain();
    EXPECT_EQ(records(h, WM_KEYDOWN).size(), 1u);
}

TEST_F(MenuKeyboard, SeveralItemsWithOneMnemonicAreCycledNotChosen) {
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 31, "&Save");
    AppendMenuA(popup, MF_STRING, 32, "&Stop");
    AppendMenuA(popup, MF_STRING, 33, "&Go");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&File");
    ASSERT_TRUE(SetMenu(h, bar));
    drain();
    standin::headless_key_down(VK_MENU, standin::kKeyAlt);
    press('F', standin::kKeyAlt);
    standin::headless_key_up(VK_MENU);
    press('S');  // Save (already lit) -> Stop
    press(VK_RETURN);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{32});
    // Alt+R no longer opens anything: the Run bar is detached.
    log().clear();
    alt_r();
    drain();
    EXPECT_FALSE(open());
    SetMenu(h, nullptr);
    DestroyMenu(bar);
}

}  // namespace
