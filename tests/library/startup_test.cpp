// Start-up and shut-down: LibState before opening, the windows, back buffer,
// timer and flags that TELKA_open leaves, the text window's height from the
// screen height, and what TELKA_close releases and keeps.
#include "library_fixture.h"

#include <cstdio>
#include <string>

using namespace libtest;

namespace {

RECT window_rect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

std::string title(HWND h) {
    char buf[64] = {};
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

TEST(LibraryLoaded, StateBeforeOpenAndSwitchesDoNothing) {
    EXPECT_EQ(lib.graphicsWnd, nullptr);
    EXPECT_EQ(lib.logging, 1);
    EXPECT_EQ(lib.backBufferDirty, 1);
    EXPECT_EQ(lib.textFirst, -1);
    EXPECT_EQ(lib.textNext, 0);
    EXPECT_EQ(lib.eventKind, 0);
    EXPECT_EQ(lib.scriptFile, nullptr);
    EXPECT_EQ(lib.animating, 0);

    for (int code : {0, 1, 2, 5}) EXPECT_EQ(TELKA_animate(code), 0) << code;
    EXPECT_EQ(lib.animating, 0);
    EXPECT_EQ(lib.singleStep, 0);
    EXPECT_EQ(lib.quitRequested, 0);

    EXPECT_EQ(TELKA_logging(0), 0);
    EXPECT_EQ(lib.logging, 1);
    EXPECT_EQ(TELKA_logging(1), 0);
    EXPECT_EQ(lib.logging, 1);
}

class Startup : public LibraryTest {};

TEST_F(Startup, WindowsTitlesSizesAndOrigin) {
    EXPECT_EQ(title(lib.graphicsWnd), "TELKA Graphics");
    EXPECT_EQ(title(lib.textWnd), "TELKA Text");
    EXPECT_TRUE(IsWindowVisible(lib.graphicsWnd));
    EXPECT_TRUE(IsWindowVisible(lib.textWnd));

    const RECT g = window_rect(lib.graphicsWnd);
    EXPECT_EQ(g.left, 0);
    EXPECT_EQ(g.top, 0);
    EXPECT_EQ(g.right - g.left, 601);
    EXPECT_EQ(g.bottom - g.top, 540);
    RECT c{};
    GetClientRect(lib.graphicsWnd, &c);
    EXPECT_EQ(c.right - c.left, 601);
    EXPECT_EQ(c.bottom - c.top, 520);  // the menu bar takes the rest
    EXPECT_EQ(lib.originX, 300);
    EXPECT_EQ(lib.originY, 260);

    const RECT t = window_rect(lib.textWnd);
    EXPECT_EQ(t.left, 0);
    EXPECT_EQ(t.top, 550);
    EXPECT_EQ(t.right - t.left, 601);
    EXPECT_EQ(t.bottom - t.top, 768 / 4);
}

TEST_F(Startup, FlagsAfterOpen) {
    EXPECT_EQ(lib.logging, 1);
    EXPECT_EQ(GetMenuState(lib.runMenu, 4, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(lib.backBufferDirty, 1);
    EXPECT_EQ(lib.animating, 0);
    EXPECT_EQ(lib.singleStep, 0);
    EXPECT_EQ(lib.dialogInstance, lib.instance);
    EXPECT_EQ(lib.scriptFile, nullptr);
}

TEST_F(Startup, BackBufferIsA601By540ColourBitmapInMemDC) {
    ASSERT_NE(lib.memDC, nullptr);
    EXPECT_EQ(GetCurrentObject(lib.memDC, OBJ_BITMAP), static_cast<HGDIOBJ>(lib.backBitmap));
    BITMAP bm{};
    ASSERT_NE(GetObjectA(lib.backBitmap, sizeof bm, &bm), 0);
    EXPECT_EQ(bm.bmWidth, 601);
    EXPECT_EQ(bm.bmHeight, 540);
    EXPECT_GT(bm.bmBitsPixel, 1);  // colour, not monochrome

    // Colours survive a round trip through the buffer.
    SetPixel(lib.memDC, 7, 9, RGB(153, 0, 204));
    EXPECT_EQ(GetPixel(lib.memDC, 7, 9), RGB(153, 0, 204));
    EXPECT_NE(GetPixel(lib.memDC, 600, 539), CLR_INVALID);
    EXPECT_EQ(GetPixel(lib.memDC, 601, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(lib.memDC, 0, 540), CLR_INVALID);
}

TEST_F(Startup, TimerTwoTicksEvery50Ms) {
    TELKA_animate(2);
    std::vector<int64_t> at;
    int64_t elapsed = 0;
    for (int i = 0; i < 4; ++i) {
        const WaitResult r = wait_event();
        ASSERT_EQ(r.kind, TELKA_PERIODIC);
        elapsed += r.ended_ms;
        at.push_back(elapsed);
    }
    EXPECT_EQ(at, (std::vector<int64_t>{50, 100, 150, 200}));
    // The timer belongs to the graphics window under identifier 2.
    EXPECT_FALSE(KillTimer(lib.graphicsWnd, 1));
    EXPECT_TRUE(KillTimer(lib.graphicsWnd, 2));
}

TEST_F(Startup, CloseReleasesOnlyTheDeviceContext) {
    EXPECT_EQ(TELKA_close(), 1);
    // The DC is gone: releasing it again fails.
    EXPECT_EQ(ReleaseDC(lib.graphicsWnd, lib.graphicsDC), 0);
    // Windows, back buffer and timer stay; graphicsWnd is not cleared.
    EXPECT_NE(lib.graphicsWnd, nullptr);
    EXPECT_TRUE(IsWindow(lib.graphicsWnd));
    EXPECT_TRUE(IsWindow(lib.textWnd));
    SetPixel(lib.memDC, 3, 3, RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(lib.memDC, 3, 3), RGB(0, 0, 255));
    EXPECT_EQ(GetCurrentObject(lib.memDC, OBJ_BITMAP), static_cast<HGDIOBJ>(lib.backBitmap));
    EXPECT_TRUE(KillTimer(lib.graphicsWnd, 2));
    EXPECT_EQ(lib.scriptFile, nullptr);
}

struct ScreenCase {
    int screen_height;
    int text_height;
};

class TextWindowHeight : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(TextWindowHeight, IsAQuarterOfTheScreen) {
    ASSERT_TRUE(standin::use_headless_backend());
    standin::headless_set_screen_size(1280, GetParam().screen_height);
    open_library();
    const RECT t = window_rect(lib.textWnd);
    EXPECT_EQ(t.top, 550);
    EXPECT_EQ(t.bottom - t.top, GetParam().text_height);
}

INSTANTIATE_TEST_SUITE_P(Screens, TextWindowHeight,
                         ::testing::Values(ScreenCase{768, 192}, ScreenCase{1024, 256}, ScreenCase{1050, 262}),
                         [](const ::testing::TestParamInfo<ScreenCase> &info) {
                             return "Screen" + std::to_string(info.param.screen_height);
                         });

}  // namespace
