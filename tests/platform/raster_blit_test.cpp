// BitBlt and ScrollDC: copies between memory and window DCs, clipping
// against the source surface and the destination, overlapping moves on one
// surface, monochrome <-> colour conversion, the stale strip and update
// rectangle of ScrollDC, and change reports for window surfaces.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <vector>

#include "raster_canvas.h"
#include "gdi/target.h"

namespace {

using raster_test::Canvas;
using raster_test::kBackground;

COLORREF code(int x, int y) { return RGB(x * 10 + 5, y * 10 + 5, 77); }

void fill_codes(Canvas &c) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) SetPixel(c.dc(), x, y, code(x, y));
}

std::vector<COLORREF> snapshot(const Canvas &c) {
    std::vector<COLORREF> v;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) v.push_back(c.at(x, y));
    return v;
}

TEST(BitBlt, CopiesARectangleBetweenMemoryDcs) {
    Canvas src(6, 5), dst(7, 6);
    fill_codes(src);
    ASSERT_TRUE(BitBlt(dst.dc(), 2, 1, 3, 2, src.dc(), 1, 0, SRCCOPY));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool in = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(dst.at(x, y), in ? code(x - 1, y - 1) : kBackground) << x << "," << y;
        }
}

TEST(BitBlt, ClipsAgainstTheSourceSurfaceAndTheDestination) {
    Canvas src(4, 4), dst(6, 6);
    fill_codes(src);
    // The source rectangle starts left of and above the source bitmap and runs past the destination.
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 100, 100, src.dc(), -2, -1, SRCCOPY));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const int sx = x - 2, sy = y - 1;
            const bool from_src = sx >= 0 && sx < 4 && sy >= 0 && sy < 4;
            EXPECT_EQ(dst.at(x, y), from_src ? code(sx, sy) : kBackground) << x << "," << y;
        }
}

TEST(BitBlt, NegativeExtentsCopyTheSameRectangle) {
    Canvas src(6, 6), a(6, 6), b(6, 6);
    fill_codes(src);
    BitBlt(a.dc(), 5, 4, -3, -2, src.dc(), 4, 3, SRCCOPY);
    BitBlt(b.dc(), 2, 2, 3, 2, src.dc(), 1, 1, SRCCOPY);
    EXPECT_EQ(snapshot(a), snapshot(b));
}

TEST(BitBlt, HostileCoordinatesStayInside) {
    Canvas src(8, 8), dst(8, 8);
    fill_codes(src);
    const std::vector<COLORREF> before = snapshot(dst);
    const int vals[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX};
    for (int x : vals)
        for (int cx : vals)
            for (int x1 : vals) {
                BitBlt(dst.dc(), x, x, cx, cx, src.dc(), x1, x1, SRCCOPY);
                BitBlt(dst.dc(), x, 0, cx, 8, src.dc(), x1, 0, SRCCOPY);
            }
    // Whatever landed came from the source at some offset; nothing else changed colour.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const COLORREF c = dst.at(x, y);
            EXPECT_TRUE(c == before[static_cast<size_t>(y * 8 + x)] || GetBValue(c) == 77) << x << "," << y;
        }
}

TEST(BitBlt, OverlappingMoveOnOneSurface) {
    for (auto [dx, dy] : {std::pair{3, 2}, {-3, -2}, {2, -1}, {-1, 3}, {4, 0}, {0, -4}, {-5, 0}}) {
        Canvas c(12, 10);
        fill_codes(c);
        const std::vector<COLORREF> before = snapshot(c);
        // Move the block (2, 2)-(10, 8) by (dx, dy).
        ASSERT_TRUE(BitBlt(c.dc(), 2 + dx, 2 + dy, 8, 6, c.dc(), 2, 2, SRCCOPY));
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) {
                const int sx = x - dx, sy = y - dy;
                const bool moved = sx >= 2 && sx < 10 && sy >= 2 && sy < 8;
                const COLORREF want = moved ? code(sx, sy) : before[static_cast<size_t>(y * 12 + x)];
                ASSERT_EQ(c.at(x, y), want) << dx << "," << dy << " at " << x << "," << y;
            }
    }
}

TEST(BitBlt, OnlySrcCopyAndLiveDcs) {
    Canvas src(4, 4), dst(4, 4);
    fill_codes(src);
    const DWORD srcpaint = 0x00EE0086, blackness = 0x00000042;
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, srcpaint));
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, blackness));
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(nullptr, 0, 0, 4, 4, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.count(kBackground), 16);
}

TEST(BitBlt, MonochromeToColourUsesTheDestinationsColours) {
    Canvas mono(4, 1, 1), colour(4, 1);
    SetPixel(mono.dc(), 0, 0, RGB(255, 255, 255));
    SetPixel(mono.dc(), 1, 0, RGB(0, 0, 0));
    SetPixel(mono.dc(), 2, 0, RGB(255, 255, 255));
    SetPixel(mono.dc(), 3, 0, RGB(0, 0, 0));
    SetBkColor(colour.dc(), RGB(10, 200, 30));
    SetTextColor(colour.dc(), RGB(90, 0, 120));
    // The source DC's own colours play no part.
    SetBkColor(mono.dc(), RGB(1, 1, 1));
    SetTextColor(mono.dc(), RGB(2, 2, 2));
    BitBlt(colour.dc(), 0, 0, 4, 1, mono.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(colour.at(0, 0), RGB(10, 200, 30));
    EXPECT_EQ(colour.at(1, 0), RGB(90, 0, 120));
    EXPECT_EQ(colour.at(2, 0), RGB(10, 200, 30));
    EXPECT_EQ(colour.at(3, 0), RGB(90, 0, 120));
}

TEST(BitBlt, ColourToMonochromeKeysOnTheSourceBackground) {
    Canvas colour(4, 1), mono(4, 1, 1);
    SetPixel(colour.dc(), 0, 0, RGB(12, 34, 56));
    SetPixel(colour.dc(), 1, 0, RGB(255, 255, 255));  // white, but not the background colour
    SetPixel(colour.dc(), 2, 0, RGB(12, 34, 56));
    SetPixel(colour.dc(), 3, 0, RGB(0, 0, 0));
    SetBkColor(colour.dc(), RGB(12, 34, 56));
    SetBkColor(mono.dc(), RGB(0, 0, 0));  // the destination's colours play no part
    BitBlt(mono.dc(), 0, 0, 4, 1, colour.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(mono.at(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(mono.at(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(mono.at(2, 0), RGB(255, 255, 255));
    EXPECT_EQ(mono.at(3, 0), RGB(0, 0, 0));
}

TEST(BitBlt, SameFormatsCopyUnchanged) {
    Canvas a(3, 1, 1, RGB(0, 0, 0)), b(3, 1, 1);
    SetPixel(a.dc(), 1, 0, RGB(255, 255, 255));
    SetTextColor(b.dc(), RGB(255, 255, 255));
    BitBlt(b.dc(), 0, 0, 3, 1, a.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(b.at(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(b.at(1, 0), RGB(255, 255, 255));
}

// ---- window DCs through the surface hooks ----

// A fake window surface: a 20 x 12 buffer whose client area starts at (3, 2).
struct FakeWindow {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(20 * 12, 0x00FFFFFFu);
    std::vector<RECT> touched;
};
FakeWindow *g_window = nullptr;
const HWND kFakeHwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5157));

bool fake_surface(HWND hwnd, standin::Target *t) {
    if (hwnd != kFakeHwnd || !g_window) return false;
    t->pixels = g_window->pixels.data();
    t->width = 20;
    t->height = 12;
    t->stride = 20;
    t->ox = 3;
    t->oy = 2;
    t->cl = 0, t->ct = 0, t->cr = 15, t->cb = 9;
    return true;
}
void fake_touched(HWND hwnd, int64_t l, int64_t t, int64_t r, int64_t b) {
    if (hwnd == kFakeHwnd && g_window)
        g_window->touched.push_back(RECT{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r), static_cast<LONG>(b)});
}

class WindowDc : public ::testing::Test {
protected:
    void SetUp() override {
        g_window = &window;
        standin::set_window_surface_hooks(standin::WindowSurfaceHooks{fake_surface, fake_touched});
        dc = standin::gdi_new_window_dc(kFakeHwnd);
    }
    void TearDown() override {
        standin::gdi_delete_dc(dc);
        standin::set_window_surface_hooks(standin::WindowSurfaceHooks{});
        g_window = nullptr;
    }
    HDC hdc() const { return static_cast<HDC>(static_cast<HGDIOBJ>(dc)); }
    uint32_t client(int x, int y) const { return window.pixels[static_cast<size_t>((y + 2) * 20 + x + 3)]; }

    FakeWindow window;
    standin::Dc *dc = nullptr;
};

TEST_F(WindowDc, BitBltFromMemoryLandsInTheClientAreaAndIsReported) {
    Canvas src(30, 30);
    fill_codes(src);
    ASSERT_TRUE(BitBlt(hdc(), -4, 5, 30, 30, src.dc(), 0, 0, SRCCOPY));
    // Only the client area changed: rows 5..8, columns 0..14.
    for (int y = -2; y < 10; ++y)
        for (int x = -3; x < 17; ++x) {
            const bool in = x >= 0 && x < 15 && y >= 5 && y < 9;
            const uint32_t want = in ? standin::colorref_to_pixel(code(x + 4, y - 5)) : 0x00FFFFFFu;
            ASSERT_EQ(window.pixels[static_cast<size_t>((y + 2) * 20 + x + 3)], want) << x << "," << y;
        }
    ASSERT_EQ(window.touched.size(), 1u);
    EXPECT_EQ(window.touched[0].left, 0);
    EXPECT_EQ(window.touched[0].top, 5);
    EXPECT_EQ(window.touched[0].right, 15);
    EXPECT_EQ(window.touched[0].bottom, 9);
}

TEST_F(WindowDc, BitBltFromTheWindowReadsOnlyItsClientArea) {
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 15; ++x) SetPixel(hdc(), x, y, code(x, y));
    Canvas dst(20, 12);
    BitBlt(dst.dc(), 0, 0, 20, 12, hdc(), -2, -1, SRCCOPY);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) {
            const int sx = x - 2, sy = y - 1;
            const bool in = sx >= 0 && sx < 15 && sy >= 0 && sy < 9;
            EXPECT_EQ(dst.at(x, y), in ? code(sx, sy) : kBackground) << x << "," << y;
        }
}

TEST_F(WindowDc, EveryPrimitiveReportsWhatItChanged) {
    auto reported_since = [&](size_t n) { return window.touched.size() > n; };
    size_t n = window.touched.size();
    SetPixel(hdc(), 1, 1, RGB(1, 2, 3));
    EXPECT_TRUE(reported_since(n));
    n = window.touched.size();
    MoveToEx(hdc(), 0, 0, nullptr);
    LineTo(hdc(), 10, 5);
    EXPECT_TRUE(reported_since(n));
    n = window.touched.size();
    Rectangle(hdc(), 2, 2, 6, 6);
    EXPECT_TRUE(reported_since(n));
    n = window.touched.size();
    Ellipse(hdc(), 2, 2, 6, 6);
    EXPECT_TRUE(reported_since(n));
    n = window.touched.size();
    const POINT tri[] = {{1, 1}, {8, 2}, {4, 7}};
    Polygon(hdc(), tri, 3);
    EXPECT_TRUE(reported_since(n));
    n = window.touched.size();
    const RECT r{0, 0, 4, 4};
    FillRect(hdc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_TRUE(reported_since(n));
    n = window.touched.size();
    ScrollDC(hdc(), 0, -2, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(reported_since(n));
    // Reports never reach outside the client area.
    for (const RECT &t : window.touched) {
        EXPECT_GE(t.left, 0);
        EXPECT_GE(t.top, 0);
        EXPECT_LE(t.right, 15);
        EXPECT_LE(t.bottom, 9);
    }
    // Nothing drawn outside the client area.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool client_px = x >= 3 && x < 18 && y >= 2 && y < 11;
            if (!client_px) {
                EXPECT_EQ(window.pixels[static_cast<size_t>(y * 20 + x)], 0x00FFFFFFu) << x << "," << y;
            }
        }
}

TEST_F(WindowDc, ScrollDcMovesTheClientArea) {
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 15; ++x) SetPixel(hdc(), x, y, code(x, y));
    RECT update{};
    ASSERT_TRUE(ScrollDC(hdc(), 0, -3, nullptr, nullptr, nullptr, &update));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 15; ++x)
            EXPECT_EQ(client(x, y), standin::colorref_to_pixel(code(x, y < 6 ? y + 3 : y))) << x << "," << y;
    EXPECT_EQ(update.left, 0);
    EXPECT_EQ(update.top, 6);
    EXPECT_EQ(update.right, 15);
    EXPECT_EQ(update.bottom, 9);
}

// ---- ScrollDC on memory DCs ----

struct ScrollCase {
    int dx, dy;
    RECT update;
};

TEST(ScrollDC, MovesPixelsAndLeavesTheUncoveredStripStale) {
    const ScrollCase cases[] = {
        {0, -2, {0, 4, 5, 6}}, {0, 2, {0, 0, 5, 2}}, {-1, 0, {4, 0, 5, 6}}, {3, 0, {0, 0, 3, 6}},
        {2, 3, {0, 0, 5, 6}},  {0, 0, {0, 0, 0, 0}}, {0, 6, {0, 0, 5, 6}},
    };
    for (const ScrollCase &sc : cases) {
        Canvas c(5, 6);
        fill_codes(c);
        RECT update{-1, -1, -1, -1};
        ASSERT_TRUE(ScrollDC(c.dc(), sc.dx, sc.dy, nullptr, nullptr, nullptr, &update));
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 5; ++x) {
                const int sx = x - sc.dx, sy = y - sc.dy;
                const bool moved = sx >= 0 && sx < 5 && sy >= 0 && sy < 6;
                EXPECT_EQ(c.at(x, y), moved ? code(sx, sy) : code(x, y))
                    << sc.dx << "," << sc.dy << " at " << x << "," << y;
            }
        EXPECT_EQ(update.left, sc.update.left) << sc.dx << "," << sc.dy;
        EXPECT_EQ(update.top, sc.update.top) << sc.dx << "," << sc.dy;
        EXPECT_EQ(update.right, sc.update.right) << sc.dx << "," << sc.dy;
        EXPECT_EQ(update.bottom, sc.update.bottom) << sc.dx << "," << sc.dy;
    }
}

TEST(ScrollDC, ScrollAndClipRectanglesLimitTheMove) {
    Canvas c(8, 8);
    fill_codes(c);
    const RECT scroll{1, 1, 7, 7}, clip{0, 0, 8, 5};
    RECT update{};
    ASSERT_TRUE(ScrollDC(c.dc(), 0, -2, &scroll, &clip, nullptr, &update));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            // Bits of the scroll rectangle move up by two, landing only inside the clip.
            const bool lands = x >= 1 && x < 7 && y >= -1 && y < 5 && y + 2 >= 1 && y + 2 < 7;
            EXPECT_EQ(c.at(x, y), lands ? code(x, y + 2) : code(x, y)) << x << "," << y;
        }
    // Uncovered: nothing inside scroll and clip, since rows 1..4 all received bits.
    EXPECT_EQ(update.right - update.left, 0);
}

TEST(ScrollDC, HugeOffsetsMoveNothing) {
    Canvas c(6, 4);
    fill_codes(c);
    const std::vector<COLORREF> before = snapshot(c);
    for (int d : {INT_MIN, INT_MAX, -6, 6}) {
        RECT update{};
        EXPECT_TRUE(ScrollDC(c.dc(), d, 0, nullptr, nullptr, nullptr, &update));
        EXPECT_TRUE(ScrollDC(c.dc(), 0, d, nullptr, nullptr, nullptr, nullptr));
        EXPECT_TRUE(ScrollDC(c.dc(), d, d, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(update.left, 0);
        EXPECT_EQ(update.top, 0);
        EXPECT_EQ(update.right, 6);
        EXPECT_EQ(update.bottom, 4);
    }
    const RECT huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_TRUE(ScrollDC(c.dc(), INT_MAX, INT_MIN, &huge, &huge, nullptr, nullptr));
    EXPECT_EQ(snapshot(c), before);
}

TEST(ScrollDC, InvalidDcFails) { EXPECT_FALSE(ScrollDC(nullptr, 0, 1, nullptr, nullptr, nullptr, nullptr)); }

}  // namespace
