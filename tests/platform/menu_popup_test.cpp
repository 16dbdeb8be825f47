// The drop-down driven by the mouse: opened by a click on the bar as an
// overlay that leaves the window's pixels alone, sized from its texts,
// hover highlighting, choosing (WM_COMMAND posted after it closes), greyed
// items and separators that never post, closing by an outside click or when
// the window is disabled, loses the focus or goes away, check marks that
// follow CheckMenuItem, and timers and painting that go on meanwhile.
#include "menu_test_support.h"

#include "gdi/gdi_objects.h"
#include "user/window_hooks.h"

using namespace user_test;
using namespace menu_test;

namespace {

class MenuPopup : public MenuTest {};

constexpr uint32_t kNavy = 0x00000080u;

int text_width(const char *s) {
    SIZE size{};
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(dc, s, static_cast<int>(strlen(s)), &size);
    DeleteDC(dc);
    return size.cx;
}

int text_height() {
    TEXTMETRICA tm{};
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsA(dc, &tm);
    DeleteDC(dc);
    return tm.tmHeight;
}

// Bounding box of the pixels that differ between two pictures, from row `from` down.
RECT difference(const Picture &a, const Picture &b, int from) {
    RECT r{INT32_MAX, INT32_MAX, -1, -1};
    for (int y = from; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (a.at(x, y) == b.at(x, y)) continue;
            r.left = std::min<LONG>(r.left, x);
            r.top = std::min<LONG>(r.top, y);
            r.right = std::max<LONG>(r.right, x + 1);
            r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r;
}

int count_in_row_span(const Picture &p, int x0, int x1, int y0, int y1, bool (*test)(uint32_t)) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += test(p.at(x, y));
    return n;
}

bool is_navy(uint32_t px) { return px == kNavy; }

TEST_F(MenuPopup, ClickOnTheBarItemOpensAnOverlaySizedFromTheTexts) {
    HWND h = window_with_menu();
    const Picture before = presented();
    const Picture own_before = window_pixels(h);
    click_bar(h);
    drain();
    EXPECT_TRUE(log().empty()) << "the click belongs to the menu";
    const Picture after = presented();
    const RECT d = difference(before, after, 20);
    // Below the bar, from its left edge.
    EXPECT_EQ(d.top, 20);
    EXPECT_LE(d.left, 1);
    // Wide enough for the widest label and the widest shortcut side by side,
    // tall enough for twelve text rows.
    EXPECT_GT(d.right - d.left, text_width("WINDOWS: windows@example.invalid"));
    EXPECT_GT(d.right - d.left, text_width("Advance one frame") + text_width("Ctrl+F") + 10);
    EXPECT_GT(d.bottom - d.top, 12 * text_height());
    EXPECT_LT(d.right, 400);
    EXPECT_LT(d.bottom, 500);
    // A dark one-pixel outline.
    EXPECT_TRUE(dark(after.at(d.left, d.top + 30)));
    EXPECT_TRUE(dark(after.at(d.right - 1, d.top + 30)));
    EXPECT_TRUE(dark(after.at(d.left + 30, d.bottom - 1)));
    EXPECT_FALSE(dark(after.at(d.left + 1, d.top + 30)));
    // The client pixels under it are the window's, untouched.
    const Picture own_after = window_pixels(h);
    for (int y = 20; y < own_after.height; ++y)
        for (int x = 0; x < own_after.width; ++x) ASSERT_EQ(own_after.at(x, y), own_before.at(x, y)) << x << "," << y;
    RECT overlay{};
    ASSERT_TRUE(popup_rect(h, &overlay));
    EXPECT_EQ(overlay.left, d.left);
    EXPECT_EQ(overlay.top, d.top);
}

TEST_F(MenuPopup, ClosingShowsTheClientAgain) {
    HWND h = window_with_menu();
    const Picture before = presented();
    click_bar(h);
    drain();
    standin::headless_key_press(VK_ESCAPE);
    drain();
    EXPECT_EQ(presented().pixels, before.pixels);
    // A second click on the open item closes it as well.
    click_bar(h);
    drain();
    click_bar(h);
    drain();
    EXPECT_EQ(presented().pixels, before.pixels);
    EXPECT_TRUE(log().empty());
}

TEST_F(MenuPopup, ClickOnAnItemPostsItsCommandAfterClosing) {
    HWND h = window_with_menu();
    const struct {
        int row;
        UINT id;
    } cases[] = {{kRowAnimate, kAnimate}, {kRowLogging, kLogging}, {kRowPlayOne, kPlayOne}, {kRowQuit, kQuit}};
    // The menu is gone by the time the command arrives.
    int open_at_command = 0;
    set_handler([&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        RECT r{};
        if (msg == WM_COMMAND && popup_rect(hwnd, &r)) ++open_at_command;
        return std::nullopt;
    });
    for (const auto &c : cases) {
        log().clear();
        click_bar(h);
        drain();
        click_row(h, c.row);
        bool posted = false;
        for (const MSG &m : drain()) posted |= m.message == WM_COMMAND && m.hwnd == h;
        EXPECT_TRUE(posted) << "through the queue, row " << c.row;
        EXPECT_EQ(commands(h), std::vector<UINT>{c.id}) << "row " << c.row;
        EXPECT_TRUE(records(h, WM_LBUTTONDOWN).empty());
        EXPECT_TRUE(records(h, WM_LBUTTONUP).empty());
    }
    EXPECT_EQ(open_at_command, 0);
}

TEST_F(MenuPopup, GreyedItemsAndSeparatorsNeverPost) {
    HWND h = window_with_menu();
    click_bar(h);
    drain();
    std::vector<int> rows(std::begin(kSeparatorRows), std::end(kSeparatorRows));
    for (int r = kRowFirstInfo; r < kRowCount; ++r) rows.push_back(r);
    for (int row : rows) {
        click_row(h, row);
        drain();
        RECT r{};
        EXPECT_TRUE(popup_rect(h, &r)) << "still open after a click on row " << row;
    }
    EXPECT_TRUE(commands(h).empty());
    EXPECT_TRUE(log().empty());
}

TEST_F(MenuPopup, OutsideClickClosesWithoutPostingOrReachingTheClient) {
    HWND h = window_with_menu();
    click_bar(h);
    drain();
    standin::headless_click(h, 500, 400);
    drain();
    RECT r{};
    EXPECT_FALSE(popup_rect(h, &r));
    EXPECT_TRUE(log().empty());
    // The next click is the client's again.
    standin::headless_click(h, 500, 400);
    drain();
    EXPECT_EQ(names(h, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_COMMAND}), (std::vector<std::string>{"WM_LBUTTONDOWN", "WM_LBUTTONUP"}));
}

TEST_F(MenuPopup, HoverHighlightsTheRowInNavy) {
    HWND h = window_with_menu();
    click_bar(h);
    drain();
    int top = 0, bottom = 0;
    row_span(kRowHalt, &top, &bottom);
    EXPECT_EQ(count_in_row_span(presented(), 0, 300, 20, 500, is_navy), 0) << "opened by the mouse: nothing lit";
    standin::headless_mouse_move(h, 50, (top + bottom) / 2);
    drain();
    Picture p = presented();
    const int lit = count_in_row_span(p, 0, 300, top, bottom, is_navy);
    EXPECT_GT(lit, 100);
    EXPECT_EQ(count_in_row_span(p, 0, 300, 20, 500, is_navy), lit) << "only that row";
    // The label is drawn in white on it.
    EXPECT_GT(count_in_row_span(p, 0, 300, top, bottom, [](uint32_t px) { return px == 0x00FFFFFFu; }), 10);
    // Over a separator nothing is lit; leaving the drop-down clears it too.
    int sep_top = 0, sep_bottom = 0;
    row_span(kSeparatorRows[0], &sep_top, &sep_bottom);
    standin::headless_mouse_move(h, 50, (sep_top + sep_bottom) / 2);
    drain();
    EXPECT_EQ(count_in_row_span(presented(), 0, 300, 20, 500, is_navy), 0);
    standin::headless_mouse_move(h, 50, (top + bottom) / 2);
    drain();
    standin::headless_mouse_move(h, 550, 300);
    drain();
    EXPECT_EQ(count_in_row_span(presented(), 0, 300, 20, 500, is_navy), 0);
    EXPECT_TRUE(log().empty());
}

TEST_F(MenuPopup, PressOnTheBarDragAndReleaseChooses) {
    HWND h = window_with_menu();
    standin::headless_mouse_down(h, 10, -10);
    int top = 0, bottom = 0;
    row_span(kRowHalt, &top, &bottom);
    standin::headless_mouse_move(h, 40, (top + bottom) / 2);
    standin::headless_mouse_up(h, 40, (top + bottom) / 2 - 20);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{kHalt});
    // Released outside everything instead: the menu goes away, nothing posted.
    log().clear();
    standin::headless_mouse_down(h, 10, -10);
    standin::headless_mouse_up(h, 500, 300);
    drain();
    RECT r{};
    EXPECT_FALSE(popup_rect(h, &r));
    EXPECT_TRUE(log().empty());
}

TEST_F(MenuPopup, CheckMarksFollowCheckMenuItem) {
    HWND h = window_with_menu();
    click_bar(h);
    drain();
    Picture p = presented();
    // The margin: inside the frame, left of where the labels' ink begins.
    int label_left = 300;
    {
        int top = 0, bottom = 0;
        row_span(kRowAnimate, &top, &bottom);
        for (int y = top; y < bottom; ++y)
            for (int x = 2; x < 300; ++x)
                if (dark(p.at(x, y))) label_left = std::min(label_left, x);
    }
    ASSERT_GT(label_left, 12);
    auto margin = [&](const Picture &pic, int row, bool (*test)(uint32_t)) {
        int top = 0, bottom = 0;
        row_span(row, &top, &bottom);
        return count_in_row_span(pic, 2, label_left - 1, top, bottom, test);
    };
    auto margin_ink = [&](const Picture &pic, int row) { return margin(pic, row, dark); };
    EXPECT_GT(margin_ink(p, kRowLogging), 10);
    EXPECT_EQ(margin_ink(p, kRowRecord), 0);
    EXPECT_EQ(margin_ink(p, kRowAnimate), 0);
    standin::headless_key_press(VK_ESCAPE);
    drain();

    EXPECT_EQ(CheckMenuItem(menu.run, kLogging, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(menu.run, kRecord, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    click_bar(h);
    drain();
    p = presented();
    EXPECT_EQ(margin_ink(p, kRowLogging), 0);
    EXPECT_GT(margin_ink(p, kRowRecord), 10);

    // A highlighted checked item keeps its mark, in the highlight's text colour.
    int top = 0, bottom = 0;
    row_span(kRowRecord, &top, &bottom);
    standin::headless_mouse_move(h, 50, (top + bottom) / 2);
    drain();
    p = presented();
    EXPECT_GT(margin(p, kRowRecord, [](uint32_t px) { return px == 0x00FFFFFFu; }), 10);
}

TEST_F(MenuPopup, TimersAndPaintingGoOnWhileOpen) {
    HWND h = window_with_menu();
    ASSERT_NE(SetTimer(h, 2, 50, nullptr), 0u);
    click_bar(h);
    drain();
    log().clear();
    standin::headless_advance_clock(120 * 1000000LL);
    InvalidateRect(h, nullptr, FALSE);
    drain();
    EXPECT_GE(records(h, WM_TIMER).size(), 1u);
    EXPECT_EQ(records(h, WM_PAINT).size(), 1u);
    RECT r{};
    EXPECT_TRUE(popup_rect(h, &r)) << "no nested loop ended by the timer";
    // Client drawing under the open drop-down shows once it closes.
    HDC dc = GetDC(h);
    const RECT under{0, 0, 100, 100};
    FillRect(dc, &under, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(h, dc);
    drain();
    EXPECT_NE(presented().at(2, 70), 0u) << "the drop-down stays on top";
    standin::headless_key_press(VK_ESCAPE);
    drain();
    EXPECT_EQ(presented().at(2, 70), 0u);
    KillTimer(h, 2);
}

TEST_F(MenuPopup, ClosesWhenTheWindowIsDisabledLosesFocusOrIsDestroyed) {
    HWND h = window_with_menu();
    RECT r{};
    click_bar(h);
    drain();
    ASSERT_TRUE(popup_rect(h, &r));
    EnableWindow(h, FALSE);
    EXPECT_FALSE(popup_rect(h, &r));
    EnableWindow(h, TRUE);
    drain();

    SetFocus(h);
    click_bar(h);
    drain();
    ASSERT_TRUE(popup_rect(h, &r));
    HWND other = top("Rec", WS_CAPTION | WS_VISIBLE, 100, 100);  // takes the focus
    ASSERT_EQ(GetFocus(), other);
    EXPECT_FALSE(popup_rect(h, &r));

    // Focus moving inside the window keeps it open.
    SetFocus(h);
    HWND c = child(h, 400, 300, 50, 50);
    click_bar(h);
    drain();
    SetFocus(c);
    EXPECT_TRUE(popup_rect(h, &r));
    standin::headless_focus(h, false);
    drain();
    EXPECT_FALSE(popup_rect(h, &r));

    click_bar(h);
    drain();
    ASSERT_TRUE(popup_rect(h, &r));
    DestroyWindow(h);
    drain();
    // A new window is not haunted by the old menu.
    HWND again = window_with_menu();
    standin::headless_key_press(VK_DOWN);
    drain();
    EXPECT_EQ(records(again, WM_KEYDOWN).size(), 1u);
    EXPECT_FALSE(popup_rect(again, &r));
}

TEST_F(MenuPopup, PressInAnotherWindowClosesAndReachesThatWindow) {
    HWND h = window_with_menu();
    HWND other = top("Rec", WS_CAPTION | WS_VISIBLE, 100, 100);
    drain();
    click_bar(h);
    drain();
    log().clear();
    standin::headless_click(other, 5, 5);
    drain();
    RECT r{};
    EXPECT_FALSE(popup_rect(h, &r));
    EXPECT_EQ(records(other, WM_LBUTTONDOWN).size(), 1u);
}

TEST_F(MenuPopup, DrawingLeavesNoGdiObjectsBehind) {
    HWND h = window_with_menu();
    const size_t live = standin::gdi_live_count();
    for (int i = 0; i < 3; ++i) {
        click_bar(h);
        for (int row = 0; row < kRowCount; ++row) {
            int top = 0, bottom = 0;
            row_span(row, &top, &bottom);
            standin::headless_mouse_move(h, 40, top);
            drain();
        }
        standin::headless_key_press(VK_ESCAPE);
        drain();
    }
    EXPECT_EQ(standin::gdi_live_count(), live);
}

TEST_F(MenuPopup, ASmallWindowCutsTheDropDownButKeepsItWorking) {
    HWND h = top("Rec", WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 120, 90);
    ASSERT_TRUE(SetMenu(h, menu.bar));
    drain();
    click_bar(h);
    drain();
    RECT r{};
    ASSERT_TRUE(popup_rect(h, &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 120);
    EXPECT_EQ(r.bottom, 90);
    click_row(h, kRowHalt);
    drain();
    EXPECT_EQ(commands(h), std::vector<UINT>{kHalt});
}

}  // namespace
