// Menus that a careless or hostile program might build: empty drop-downs,
// thousands of items, huge and odd labels, menus destroyed while open. They
// must draw clipped to the window, stay responsive and never crash.
#include "menu_test_support.h"

#include "menu/menu.h"
#include "user/window_hooks.h"

#include <string>

using namespace user_test;
using namespace menu_test;

namespace {

class MenuHostile : public MenuTest {
protected:
    HWND window_with(HMENU bar) {
        HWND h = top("Rec", WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
        EXPECT_TRUE(SetMenu(h, bar));
        drain();
        log().clear();
        return h;
    }
    bool open(HWND h) {
        RECT r{};
        return popup_rect(h, &r);
    }
};

TEST_F(MenuHostile, EmptyDropDownOpensAndIgnoresKeys) {
    HMENU bar = CreateMenu();
    HMENU empty = CreatePopupMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(empty), "&Empty");
    HWND h = window_with(bar);
    click_bar(h);
    drain();
    EXPECT_TRUE(open(h));
    for (int vk : {VK_DOWN, VK_UP, VK_RETURN, int{'E'}, VK_RIGHT}) standin::headless_key_press(vk);
    drain();
    EXPECT_TRUE(records(h, WM_COMMAND).empty());
    standin::headless_key_press(VK_ESCAPE);
    drain();
    EXPECT_FALSE(open(h));
    SetMenu(h, nullptr);
    DestroyMenu(bar);
}

TEST_F(MenuHostile, ThousandsOfItemsAndAHugeLabelAreClippedToTheWindow) {
    HMENU bar = CreateMenu();
    HMENU big = CreatePopupMenu();
    const std::string huge(100000, 'W');
    AppendMenuA(big, MF_STRING, 1, huge.c_str());
    for (int i = 0; i < 5000; ++i) AppendMenuA(big, (i % 7 == 0) ? MF_SEPARATOR : MF_STRING, 100 + i, "&item\t&&x");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(big), "&Big");
    HWND h = window_with(bar);
    click_bar(h);
    drain();
    RECT r{};
    ASSERT_TRUE(popup_rect(h, &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 601);
    EXPECT_EQ(r.bottom, 540);
    // Still driven normally: the second row is a command.
    standin::headless_key_press(VK_DOWN);
    standin::headless_key_press(VK_DOWN);
    standin::headless_key_press(VK_RETURN);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{101});
    SetMenu(h, nullptr);
    DestroyMenu(bar);
}

TEST_F(MenuHostile, OddLabelsDrawWithoutMnemonics) {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 1, "");
    AppendMenuA(popup, MF_STRING, 2, "&");
    AppendMenuA(popup, MF_STRING, 3, "\t");
    AppendMenuA(popup, MF_STRING, 4, "a&&b\t\t&");
    AppendMenuA(popup, MF_STRING, 5, nullptr);
    AppendMenuA(popup, MF_STRING, 6, "\xff\x80\x01 high bytes");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "");
    AppendMenuA(bar, MF_STRING, 7, "&&");
    HWND h = window_with(bar);
    standin::headless_click(h, 3, -10);  // the empty first item
    drain();
    EXPECT_TRUE(open(h));
    // "a&&b" has no mnemonic: 'b' and 'a' choose nothing.
    standin::headless_key_press('B');
    standin::headless_key_press('A');
    drain();
    EXPECT_TRUE(open(h));
    EXPECT_TRUE(records(h, WM_COMMAND).empty());
    // Right moves to the command item on the bar, which only gets selected; Enter chooses it.
    standin::headless_key_press(VK_RIGHT);
    drain();
    EXPECT_FALSE(open(h));
    standin::headless_key_press(VK_RETURN);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{7});
    SetMenu(h, nullptr);
    DestroyMenu(bar);
}

TEST_F(MenuHostile, MenuDestroyedWhileOpenClosesAtTheNextInput) {
    HWND h = window_with_menu();
    click_bar(h);
    drain();
    ASSERT_TRUE(open(h));
    DestroyMenu(menu.run);  // the bar item now points at a dead drop-down
    standin::headless_key_press(VK_DOWN);
    standin::headless_key_press(VK_RETURN);
    drain();
    EXPECT_FALSE(open(h));
    EXPECT_TRUE(records(h, WM_COMMAND).empty());
    // The dead drop-down cannot be opened again.
    click_bar(h);
    drain();
    EXPECT_FALSE(open(h));
}

TEST_F(MenuHostile, AnOpenDropDownFollowsAResizeAndGoesWithItsBar) {
    HWND h = window_with_menu();
    click_bar(h);
    drain();
    RECT r{};
    ASSERT_TRUE(open(h));
    standin::headless_resize(h, 601, 120);
    drain();
    ASSERT_TRUE(popup_rect(h, &r));
    EXPECT_EQ(r.bottom, 120);  // laid out again, cut at the new bottom edge
    ASSERT_TRUE(SetMenu(h, nullptr));
    EXPECT_FALSE(open(h));
}

TEST_F(MenuHostile, ReplacingTheBarWhileOpenClosesIt) {
    HWND h = window_with_menu();
    click_bar(h);
    drain();
    RunMenu other = build_run_menu("&Other");
    ASSERT_TRUE(SetMenu(h, other.bar));
    drain();
    EXPECT_FALSE(open(h));
    standin::headless_key_press(VK_RETURN);
    drain();
    EXPECT_EQ(records(h, WM_KEYDOWN).size(), 1u);
    SetMenu(h, nullptr);
    DestroyMenu(other.bar);
}

}  // namespace
