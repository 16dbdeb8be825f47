// The paint cycle: invalidations merge into one WM_PAINT, BeginPaint erases,
// validates and clips, children repaint after their parent, window DCs draw
// on the host surface only inside their window, and only damaged pixels are
// presented, once per pump.
#include "gdi/gdi_objects.h"
#include "gdi/target.h"
#include "user/window_hooks.h"
#include "window_recorder.h"

using namespace user_test;
using Names = std::vector<std::string>;

namespace {

class Painting : public UserTest {
protected:
    // Registers a class with a solid background of `colour`.
    void brush_class(const char *name, COLORREF colour) {
        brush_ = CreateSolidBrush(colour);
        WNDCLASSA wc{};
        wc.lpfnWndProc = recording_proc;
        wc.hbrBackground = brush_;
        wc.lpszClassName = name;
        ASSERT_NE(RegisterClassA(&wc), 0);
    }
    void TearDown() override {
        UserTest::TearDown();
        if (brush_) DeleteObject(brush_);
    }
    // Paint handler that records rcPaint and fErase of each WM_PAINT.
    void record_paints() {
        set_handler([this](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (msg != WM_PAINT) return std::nullopt;
            PAINTSTRUCT ps;
            BeginPaint(h, &ps);
            painted.push_back({h, ps.rcPaint, ps.fErase});
            EndPaint(h, &ps);
            return 0;
        });
    }
    struct Paint {
        HWND hwnd;
        RECT rc;
        BOOL erase;
    };
    std::vector<Paint> painted;
    HBRUSH brush_ = nullptr;
};

// Fills a device rectangle through a DC with the target.h primitives, as a
// drawing call would.
void fill(HDC hdc, LONG l, LONG t, LONG r, LONG b, uint32_t pixel) {
    standin::Target target;
    ASSERT_TRUE(standin::dc_target(standin::gdi_dc(hdc), &target));
    if (standin::fill_rect(target, l, t, r, b, pixel)) standin::target_touched(target, l, t, r, b);
}

bool same(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(Painting, ManyInvalidationsMakeOnePaintOfTheirBoundingBox) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 200, 100);
    drain();
    log().clear();
    record_paints();
    for (int i = 0; i < 50; ++i) {
        RECT r{10 + i, 20, 11 + i, 21 + i};
        InvalidateRect(h, &r, FALSE);
    }
    RECT last{150, 5, 160, 6};
    InvalidateRect(h, &last, FALSE);
    drain();
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_TRUE(same(painted[0].rc, RECT{10, 5, 160, 70}));
    EXPECT_FALSE(painted[0].erase);
    EXPECT_EQ(names(h, {WM_ERASEBKGND}), Names{});  // no erase was asked for
}

TEST_F(Painting, NullRectangleAndOutsideParts) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 200, 100);
    drain();
    record_paints();
    RECT outside{300, 300, 400, 400};
    InvalidateRect(h, &outside, TRUE);  // nothing of it is in the client area
    RECT reversed{50, 50, 10, 10};
    InvalidateRect(h, &reversed, TRUE);  // empty
    drain();
    EXPECT_TRUE(painted.empty());
    RECT partly{150, 80, 300, 300};
    InvalidateRect(h, &partly, FALSE);
    drain();
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_TRUE(same(painted[0].rc, RECT{150, 80, 200, 100}));
    painted.clear();
    InvalidateRect(h, nullptr, FALSE);
    drain();
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_TRUE(same(painted[0].rc, RECT{0, 0, 200, 100}));
}

TEST_F(Painting, PaintKeepsComingUntilValidated) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
    int paints = 0;
    set_handler([&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_PAINT) return std::nullopt;
        if (++paints == 3) ValidateRect(hwnd, nullptr);
        return 0;  // ignores painting without validating
    });
    drain();
    EXPECT_EQ(paints, 3);
    EXPECT_EQ(names(h, {WM_PAINT}).size(), 3u);
}

TEST_F(Painting, BeginPaintErasesWithTheClassBrushAndValidates) {
    brush_class("Green", RGB(0, 200, 0));
    HWND h = top("Green", WS_CAPTION, 40, 30);
    HWND seen_dc = nullptr;
    HDC erase_dc = nullptr;
    set_handler([&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_ERASEBKGND) erase_dc = reinterpret_cast<HDC>(wParam);
        if (msg != WM_PAINT) return std::nullopt;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        seen_dc = hwnd;
        EXPECT_EQ(ps.hdc, dc);
        EXPECT_EQ(erase_dc, dc);  // erased inside BeginPaint, with the paint DC
        EXPECT_FALSE(ps.fErase);  // DefWindowProcA erased
        EndPaint(hwnd, &ps);
        return 0;
    });
    ShowWindow(h, SW_SHOW);
    drain();
    EXPECT_EQ(seen_dc, h);
    EXPECT_EQ(names(h, {WM_PAINT, WM_ERASEBKGND}), (Names{"WM_PAINT", "WM_ERASEBKGND"}));
    EXPECT_EQ(standin::window_pixel(h, 0, 0), 0x0000C800u);
    EXPECT_EQ(standin::window_pixel(h, 39, 29), 0x0000C800u);
}

TEST_F(Painting, EraseWithoutBrushOrRefusedLeavesFEraseSet) {
    HWND bare = top("RecBare", WS_CAPTION | WS_VISIBLE, 20, 20);
    HWND refusing = top("Rec", WS_CAPTION | WS_VISIBLE, 20, 20);
    std::vector<std::pair<HWND, BOOL>> erased;
    set_handler([&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_ERASEBKGND && hwnd == refusing) return 0;
        if (msg != WM_PAINT) return std::nullopt;
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        erased.emplace_back(hwnd, ps.fErase);
        EndPaint(hwnd, &ps);
        return 0;
    });
    drain();
    ASSERT_EQ(erased.size(), 2u);
    EXPECT_EQ(erased[0].first, bare);
    EXPECT_TRUE(erased[0].second);
    EXPECT_EQ(erased[1].first, refusing);
    EXPECT_TRUE(erased[1].second);
}

TEST_F(Painting, EraseFlagAccumulatesAcrossInvalidations) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 20, 20);
    drain();
    log().clear();
    RECT a{0, 0, 5, 5}, b{5, 5, 10, 10};
    InvalidateRect(h, &a, TRUE);
    InvalidateRect(h, &b, FALSE);
    drain();
    EXPECT_EQ(names(h), (Names{"WM_PAINT", "WM_ERASEBKGND"}));
}

TEST_F(Painting, ValidateRectRemovesWholeOrSideStrips) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 100, 100);
    drain();
    record_paints();
    InvalidateRect(h, nullptr, FALSE);
    ValidateRect(h, nullptr);
    drain();
    EXPECT_TRUE(painted.empty());

    RECT u{10, 10, 50, 50};
    InvalidateRect(h, &u, FALSE);
    RECT top_strip{0, 0, 100, 20};  // covers the update box's top rows
    ValidateRect(h, &top_strip);
    RECT middle{20, 30, 30, 40};    // a hole cannot be cut: kept
    ValidateRect(h, &middle);
    drain();
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_TRUE(same(painted[0].rc, RECT{10, 20, 50, 50}));
}

TEST_F(Painting, HiddenWindowsCollectNoUpdateAndShowingInvalidatesAll) {
    HWND h = top("Rec", WS_CAPTION, 30, 20);
    record_paints();
    RECT r{0, 0, 5, 5};
    InvalidateRect(h, &r, TRUE);
    drain();
    EXPECT_TRUE(painted.empty());
    ShowWindow(h, SW_SHOW);
    drain();
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_TRUE(same(painted[0].rc, RECT{0, 0, 30, 20}));
    EXPECT_FALSE(painted[0].erase);  // DefWindowProcA erased with the class brush
}

TEST_F(Painting, UpdateWindowPaintsAtOnceOnlyWhenNeeded) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 30, 20);
    log().clear();
    EXPECT_TRUE(UpdateWindow(h));
    EXPECT_EQ(names(h), (Names{"WM_PAINT", "WM_ERASEBKGND"}));
    log().clear();
    EXPECT_TRUE(UpdateWindow(h));  // nothing left to paint
    EXPECT_TRUE(log().empty());
}

TEST_F(Painting, ChildrenRepaintAfterTheirParent) {
    HWND p = top("Rec", WS_CAPTION | WS_VISIBLE, 100, 100);
    HWND c = child(p, 10, 10, 20, 20);
    HWND far_child = child(p, 80, 80, 10, 10);
    drain();
    record_paints();
    RECT r{0, 0, 40, 40};  // covers c, not far_child
    InvalidateRect(p, &r, TRUE);
    drain();
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_EQ(painted[0].hwnd, p);
    EXPECT_EQ(painted[1].hwnd, c);
    EXPECT_TRUE(same(painted[1].rc, RECT{0, 0, 20, 20}));
    (void)far_child;
}

TEST_F(Painting, PaintDcIsClippedToTheUpdateBox) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 40, 40);
    drain();
    set_handler([](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_PAINT) return std::nullopt;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        fill(dc, 0, 0, 40, 40, 0x00FF0000u);  // tries to paint everything
        EndPaint(hwnd, &ps);
        return 0;
    });
    RECT r{10, 10, 20, 20};
    InvalidateRect(h, &r, FALSE);
    drain();
    EXPECT_EQ(standin::window_pixel(h, 10, 10), 0x00FF0000u);
    EXPECT_EQ(standin::window_pixel(h, 19, 19), 0x00FF0000u);
    EXPECT_EQ(standin::window_pixel(h, 9, 10), 0x00FFFFFFu);
    EXPECT_EQ(standin::window_pixel(h, 20, 19), 0x00FFFFFFu);
}

TEST_F(Painting, WindowDcsDrawOnlyInsideTheirWindow) {
    standin::MenuHooks hooks;
    hooks.bar_height = [](HWND, HMENU, int) { return 20; };
    standin::set_menu_hooks(hooks);
    HWND p = top("Rec", WS_CAPTION | WS_VISIBLE, 100, 80);
    standin::window_set_menu(p, reinterpret_cast<HMENU>(uintptr_t{1}));
    HWND c = child(p, 70, 30, 50, 50);  // sticks out to the right and the bottom
    drain();

    HDC dc = GetDC(c);
    fill(dc, -100, -100, 1000, 1000, 0x000000FFu);
    ReleaseDC(c, dc);
    standin::PixelView host;
    ASSERT_TRUE(standin::window_host_pixels(p, &host));
    int blue = 0;
    for (int y = 0; y < host.height; ++y)
        for (int x = 0; x < host.width; ++x)
            if (host.at(x, y) == 0x000000FFu) ++blue;
    // The visible part of the child: x 70..99, client y 30..59 = host y 50..79.
    EXPECT_EQ(blue, 30 * 30);
    EXPECT_EQ(host.at(70, 50), 0x000000FFu);
    EXPECT_EQ(host.at(69, 50), 0x00FFFFFFu);
    EXPECT_EQ(host.at(70, 49), 0x00FFFFFFu);

    // A window DC of the parent cannot reach the menu bar strip.
    dc = GetDC(p);
    fill(dc, 0, -20, 10, 0, 0x00FF00FFu);
    ReleaseDC(p, dc);
    EXPECT_NE(host.at(0, 0), 0x00FF00FFu);
}

TEST_F(Painting, HiddenWindowsTakeNoDrawing) {
    HWND h = top("Rec", WS_CAPTION, 10, 10);
    HDC dc = GetDC(h);
    standin::Target t;
    EXPECT_FALSE(standin::dc_target(standin::gdi_dc(dc), &t));
    ReleaseDC(h, dc);
    // A screen DC exists but draws nowhere.
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(standin::dc_target(standin::gdi_dc(screen), &t));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(Painting, DcsAreReleasedAndForeignReleasesRefused) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 10, 10);
    HWND other = top("Rec", WS_CAPTION, 10, 10);
    drain();
    const size_t live = standin::gdi_live_count();
    for (int i = 0; i < 100; ++i) {
        HDC dc = GetDC(h);
        EXPECT_EQ(ReleaseDC(other, dc), 0);  // not its DC
        EXPECT_EQ(ReleaseDC(h, dc), 1);
        EXPECT_EQ(ReleaseDC(h, dc), 0);      // already gone
        InvalidateRect(h, nullptr, TRUE);
        UpdateWindow(h);
    }
    EXPECT_EQ(standin::gdi_live_count(), live);
    EXPECT_EQ(ReleaseDC(h, nullptr), 0);
}

TEST_F(Painting, OnlyDamagedRectanglesArePresentedOncePerPump) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 100, 80);
    drain();
    standin::headless_take_presents(h);
    HDC dc = GetDC(h);
    fill(dc, 10, 10, 20, 15, 0x00123456u);
    fill(dc, 30, 40, 35, 45, 0x00123456u);
    PostMessageA(h, WM_USER, 0, 0);
    PostMessageA(h, WM_USER, 0, 0);
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    std::vector<RECT> shown = standin::headless_take_presents(h);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(same(shown[0], RECT{10, 10, 35, 45}));  // both fills, one bounding rectangle
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_TRUE(standin::headless_take_presents(h).empty());  // nothing new was drawn
    ReleaseDC(h, dc);
}

// A back buffer copied whole into the window each frame: only the pixels
// that differ from what the window holds are presented.
TEST_F(Painting, CopiesIntoTheWindowPresentOnlyWhatChanged) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 40, 30);
    drain();
    standin::headless_take_presents(h);
    HDC win = GetDC(h);
    HDC mem = CreateCompatibleDC(win);
    HBITMAP bm = CreateCompatibleBitmap(win, 40, 30);
    HGDIOBJ old = SelectObject(mem, bm);
    auto frame = [&](COLORREF background) {
        HBRUSH b = CreateSolidBrush(background);
        const RECT all{0, 0, 40, 30};
        FillRect(mem, &all, b);
        DeleteObject(b);
    };
    auto show = [&] {
        BitBlt(win, 0, 0, 40, 30, mem, 0, 0, SRCCOPY);
        PostMessageA(h, WM_USER, 0, 0);
        MSG m;
        GetMessageA(&m, nullptr, 0, 0);
        return standin::headless_take_presents(h);
    };
    frame(RGB(10, 20, 30));
    std::vector<RECT> shown = show();
    ASSERT_EQ(shown.size(), 1u);  // every pixel changed
    EXPECT_TRUE(same(shown[0], RECT{0, 0, 40, 30}));

    frame(RGB(10, 20, 30));
    const uint64_t frames = standin::headless_frame_count();
    EXPECT_TRUE(show().empty());  // redrawn, but nothing changed
    EXPECT_EQ(standin::headless_frame_count(), frames + 1);  // yet a frame, which dumps and limits count

    frame(RGB(10, 20, 30));
    SetPixel(mem, 7, 5, RGB(255, 0, 0));
    shown = show();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(same(shown[0], RECT{7, 5, 8, 6}));
    EXPECT_EQ(standin::window_pixel(h, 7, 5), 0x00FF0000u);

    frame(RGB(10, 20, 30));  // the pixel goes back, and two far apart change
    SetPixel(mem, 2, 25, RGB(0, 255, 0));
    SetPixel(mem, 30, 26, RGB(0, 255, 0));
    shown = show();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(same(shown[0], RECT{7, 5, 8, 6}));
    EXPECT_TRUE(same(shown[1], RECT{2, 25, 31, 27}));  // neighbouring rows: one rectangle
    EXPECT_EQ(standin::window_pixel(h, 7, 5), 0x000A141Eu);
    EXPECT_EQ(standin::window_pixel(h, 30, 26), 0x0000FF00u);

    SelectObject(mem, old);
    DeleteObject(bm);
    DeleteDC(mem);
    ReleaseDC(h, win);
}

// Frame after frame of mixed drawing on a back buffer, copied into the
// window after each: a copy that compares only the parts of rows the buffer
// changed since the last one must still leave the window equal to the
// buffer, also when the window was drawn on in between.
TEST_F(Painting, RepeatedCopiesKeepTheWindowEqualToTheBuffer) {
    constexpr int kW = 40, kH = 30;
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, kW, kH);
    drain();
    HDC win = GetDC(h);
    HDC mem = CreateCompatibleDC(win);
    HBITMAP bm = CreateCompatibleBitmap(win, kW, kH);
    HGDIOBJ old = SelectObject(mem, bm);
    HDC other = CreateCompatibleDC(win);
    HBITMAP obm = CreateCompatibleBitmap(win, kW, kH);
    HGDIOBJ oold = SelectObject(other, obm);
    uint32_t seed = 7;
    auto next = [&](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<uint32_t>(n));
    };
    auto colour = [&] { return RGB(next(3) * 120, next(3) * 120, next(2) * 200); };
    auto brush_fill = [&](HDC dc, int l, int t, int r, int b) {
        HBRUSH br = CreateSolidBrush(colour());
        const RECT rc{l, t, r, b};
        FillRect(dc, &rc, br);
        DeleteObject(br);
    };
    for (int frame = 0; frame < 150; ++frame) {
        if (next(2)) brush_fill(mem, 0, 0, kW, kH);  // a whole new frame, often the same as before
        for (int step = next(4); step >= 0; --step) {
            const int x = next(kW), y = next(kH), x2 = next(kW), y2 = next(kH);
            HPEN pen = CreatePen(PS_SOLID, next(3) == 0 ? 3 : 0, colour());
            HBRUSH br = CreateSolidBrush(colour());
            HGDIOBJ op = SelectObject(mem, pen), ob = SelectObject(mem, br);
            switch (next(10)) {
                case 0: brush_fill(mem, x, y, x2, y2); break;
                case 1: Rectangle(mem, x, y, x2, y2); break;
                case 2: Ellipse(mem, x, y, x2, y2); break;
                case 3: MoveToEx(mem, x, y, nullptr), LineTo(mem, x2, y2); break;
                case 4: {
                    const POINT tri[] = {{x, y}, {x2, y2}, {x, y2}};
                    Polygon(mem, tri, 3);
                    break;
                }
                case 5: SetPixel(mem, x, y, colour()); break;
                case 6: ScrollDC(mem, x - kW / 2, y - kH / 2, nullptr, nullptr, nullptr, nullptr); break;
                case 7:
                    brush_fill(other, x, y, x2, y2);
                    BitBlt(mem, x2 - 10, y2 - 10, 20, 20, other, x, y, SRCCOPY);
                    break;
                case 8:
                    SetBkMode(mem, next(2) ? TRANSPARENT : OPAQUE);
                    TextOutA(mem, x - 5, y - 5, "Ab", 2);
                    break;
                case 9: brush_fill(win, x, y, x2, y2); break;  // the window itself changes
            }
            SelectObject(mem, op);
            SelectObject(mem, ob);
            DeleteObject(pen);
            DeleteObject(br);
        }
        BitBlt(win, 0, 0, kW, kH, mem, 0, 0, SRCCOPY);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                ASSERT_EQ(standin::window_pixel(h, x, y), standin::colorref_to_pixel(GetPixel(mem, x, y)))
                    << "frame " << frame << ", pixel " << x << "," << y;
    }
    SelectObject(other, oold);
    DeleteObject(obm);
    DeleteDC(other);
    SelectObject(mem, old);
    DeleteObject(bm);
    DeleteDC(mem);
    ReleaseDC(h, win);
}

TEST_F(Painting, ExposeRepaintsTheClientAndRepresentsTheBar) {
    int bar_paints = 0;
    static int *counter = nullptr;
    counter = &bar_paints;
    standin::MenuHooks hooks;
    hooks.bar_height = [](HWND, HMENU, int) { return 20; };
    hooks.paint_bar = [](HWND, HMENU, uint32_t *, int, int, ptrdiff_t) { ++*counter; };
    standin::set_menu_hooks(hooks);
    HWND h = top("Rec", WS_CAPTION, 100, 80);
    standin::window_set_menu(h, reinterpret_cast<HMENU>(uintptr_t{1}));
    ShowWindow(h, SW_SHOW);
    drain();
    standin::headless_take_presents(h);
    record_paints();
    bar_paints = 0;
    standin::headless_expose(h, RECT{0, 10, 50, 40});
    drain();
    EXPECT_EQ(bar_paints, 1);
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_TRUE(same(painted[0].rc, RECT{0, 0, 50, 20}));  // host rows 20..39 of the exposure
    const std::vector<RECT> shown = standin::headless_take_presents(h);
    ASSERT_FALSE(shown.empty());
    EXPECT_LE(shown[0].top, 0);  // the bar strip went out again
}

TEST_F(Painting, OverlayIsPresentedButNeverDrawnIntoTheWindow) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 60, 40);
    drain();
    standin::headless_take_presents(h);
    std::vector<uint32_t> popup(10 * 5, 0x00ABCDEFu);
    ASSERT_TRUE(standin::window_set_overlay(h, RECT{5, 5, 15, 10}, popup.data(), 10));
    MSG m;
    PostMessageA(h, WM_USER, 0, 0);
    GetMessageA(&m, nullptr, 0, 0);
    std::vector<RECT> shown = standin::headless_take_presents(h);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(same(shown[0], RECT{5, 5, 15, 10}));
    EXPECT_EQ(standin::window_pixel(h, 5, 5), 0x00FFFFFFu);  // the window keeps its pixels
    standin::window_clear_overlay(h);
    PostMessageA(h, WM_USER, 0, 0);
    GetMessageA(&m, nullptr, 0, 0);
    shown = standin::headless_take_presents(h);
    ASSERT_EQ(shown.size(), 1u);  // what lay under it is shown again
    EXPECT_TRUE(same(shown[0], RECT{5, 5, 15, 10}));
    EXPECT_FALSE(standin::window_set_overlay(h, RECT{0, 0, 0, 0}, popup.data(), 10));
    EXPECT_FALSE(standin::window_set_overlay(h, RECT{0, 0, 20, 5}, popup.data(), 10));  // stride too small
}

}  // namespace
