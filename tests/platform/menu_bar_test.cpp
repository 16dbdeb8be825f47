// The menu bar strip: its height and the client size it leaves, its label
// drawn with the mnemonic underlined, and how the selected item stands out.
#include "menu_test_support.h"

#include "user/window_hooks.h"

using namespace user_test;
using namespace menu_test;

namespace {

class MenuBar : public MenuTest {};

// Columns of the strip [0, 20) x [0, width) that hold dark (text) pixels.
std::vector<int> ink_columns(const Picture &p) {
    std::vector<int> cols;
    for (int x = 0; x < p.width; ++x)
        for (int y = 0; y < 20; ++y)
            if (dark(p.at(x, y))) {
                cols.push_back(x);
                break;
            }
    return cols;
}

TEST_F(MenuBar, TakesTwentyPixelsFromTheClientArea) {
    HWND h = top("Rec", WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    drain();
    log().clear();
    ASSERT_TRUE(SetMenu(h, menu.bar));
    ASSERT_EQ(records(h, WM_SIZE).size(), 1u);
    EXPECT_EQ(LOWORD(records(h, WM_SIZE)[0].lParam), 601);
    EXPECT_EQ(HIWORD(records(h, WM_SIZE)[0].lParam), 520);
    RECT client{};
    GetClientRect(h, &client);
    EXPECT_EQ(client.right, 601);
    EXPECT_EQ(client.bottom, 520);
    EXPECT_EQ(standin::window_menu_bar_height(h), 20);
    EXPECT_EQ(GetMenu(h), menu.bar);

    // DrawMenuBar on an unchanged bar keeps the size; detaching gives the rows back.
    log().clear();
    EXPECT_TRUE(DrawMenuBar(h));
    EXPECT_TRUE(records(h, WM_SIZE).empty());
    ASSERT_TRUE(SetMenu(h, nullptr));
    ASSERT_EQ(records(h, WM_SIZE).size(), 1u);
    EXPECT_EQ(HIWORD(records(h, WM_SIZE)[0].lParam), 540);
}

TEST_F(MenuBar, MenuGivenAtCreationIsMeasuredToo) {
    HWND h = CreateWindowExA(0, "Rec", "t", WS_CAPTION | WS_VISIBLE, 0, 0, 601, 540, nullptr, menu.bar, nullptr,
                             nullptr);
    ASSERT_NE(h, nullptr);
    RECT client{};
    GetClientRect(h, &client);
    EXPECT_EQ(client.bottom, 520);
}

TEST_F(MenuBar, StripShowsTheLabelOnLightGrey) {
    HWND h = window_with_menu();
    const Picture p = window_pixels(h);
    // The face colour fills most of the strip; the label's ink sits at its left.
    int face = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint32_t px = p.at(x, y);
            const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
            if (r > 190 && r < 230 && g > 190 && g < 230 && b > 180 && b < 220) ++face;
        }
    EXPECT_GT(face, 20 * 601 * 9 / 10);
    const std::vector<int> cols = ink_columns(p);
    ASSERT_FALSE(cols.empty());
    SIZE run{};
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(dc, "Run", 3, &run);
    DeleteDC(dc);
    EXPECT_GE(cols.front(), 2);
    EXPECT_LE(cols.front(), 12);
    EXPECT_LE(cols.back() - cols.front() + 1, run.cx + 1);
    EXPECT_GE(cols.back() - cols.front() + 1, run.cx / 2);
    // The bar is painted into the window's strip, never into its client area.
    EXPECT_EQ(standin::window_pixel(h, 40, 0), 0x00FFFFFFu);
}

TEST_F(MenuBar, MnemonicIsUnderlined) {
    // The same label with and without '&' differs only by the underline: one
    // row of ink under the first letter.
    HWND marked = window_with_menu();
    RunMenu plain = build_run_menu("Run");
    HWND unmarked = top("Rec", WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    ASSERT_TRUE(SetMenu(unmarked, plain.bar));
    drain();
    const Picture a = window_pixels(marked), b = window_pixels(unmarked);
    int rows_with_difference = 0, first_x = -1, last_x = -1, diff_row = -1;
    for (int y = 0; y < 20; ++y) {
        bool differs = false;
        for (int x = 0; x < a.width; ++x) {
            if (a.at(x, y) == b.at(x, y)) continue;
            EXPECT_TRUE(dark(a.at(x, y))) << x << "," << y;
            differs = true;
            if (first_x < 0) first_x = x;
            last_x = x;
            diff_row = y;
        }
        rows_with_difference += differs;
    }
    EXPECT_EQ(rows_with_difference, 1);
    // Under the 'R': it starts with the label's ink and is a letter wide.
    const std::vector<int> cols = ink_columns(b);
    ASSERT_FALSE(cols.empty());
    EXPECT_NEAR(first_x, cols.front(), 2);
    EXPECT_GE(last_x - first_x + 1, 4);
    EXPECT_LE(last_x - first_x + 1, 12);
    // Below the glyphs' ink.
    for (int x = 0; x < b.width; ++x)
        for (int y = diff_row; y < 20; ++y) EXPECT_FALSE(dark(b.at(x, y))) << x << "," << y;
    DestroyMenu(plain.bar);
}

TEST_F(MenuBar, OpenItemLooksPressedAndRecoversWhenClosed) {
    HWND h = window_with_menu();
    const Picture closed = window_pixels(h);
    click_bar(h);
    drain();
    const Picture open = window_pixels(h);
    int changed = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < closed.width; ++x) {
            if (open.at(x, y) == closed.at(x, y)) continue;
            ++changed;
            EXPECT_LT(x, 60) << "only the Run item changes";
        }
    EXPECT_GT(changed, 20);
    standin::headless_key_press(VK_ESCAPE);
    drain();
    EXPECT_EQ(window_pixels(h).pixels, closed.pixels);
}

TEST_F(MenuBar, ItemsAppendedLaterShowAfterDrawMenuBar) {
    HWND h = window_with_menu();
    const std::vector<int> before = ink_columns(window_pixels(h));
    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, 40, "&About");
    AppendMenuA(menu.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    EXPECT_TRUE(DrawMenuBar(h));
    drain();
    const std::vector<int> after = ink_columns(window_pixels(h));
    ASSERT_FALSE(before.empty());
    ASSERT_FALSE(after.empty());
    EXPECT_GT(after.back(), before.back() + 10);
    // Separated from the first label by a gap of a few pixels.
    int gap = 0;
    for (size_t i = 1; i < after.size(); ++i) gap = std::max(gap, after[i] - after[i - 1]);
    EXPECT_GE(gap, 6);
    EXPECT_LE(gap, 20);
}

TEST_F(MenuBar, StripClicksOutsideTheItemsReachNobody) {
    HWND h = window_with_menu();
    standin::headless_click(h, 300, -10);
    drain();
    EXPECT_TRUE(log().empty());
    RECT r{};
    EXPECT_FALSE(popup_rect(h, &r));
}

TEST_F(MenuBar, DestroyedMenuLeavesNoBarAndNoCrash) {
    HWND h = window_with_menu();
    click_bar(h);
    drain();
    DestroyMenu(menu.bar);
    // The window still holds the dead handle; redrawing drops the strip.
    EXPECT_TRUE(DrawMenuBar(h));
    drain();
    EXPECT_EQ(standin::window_menu_bar_height(h), 0);
    RECT r{};
    EXPECT_FALSE(popup_rect(h, &r));
    standin::headless_click(h, 10, 10);
    standin::headless_key_press(VK_DOWN);
    drain();
    EXPECT_EQ(records(h, WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(records(h, WM_KEYDOWN).size(), 1u);
}

}  // namespace
