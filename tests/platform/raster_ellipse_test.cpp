// Ellipse: the pixels nearest to the curve through the centres of the box's
// edge pixels and everything inside (right and bottom edge excluded);
// symmetric, touching all four sides, a closed one-pixel outline, hollow
// brush, NULL pen, degenerate boxes, wide rings and clipping.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <utility>
#include <vector>

#include "raster_canvas.h"

namespace {

using raster_test::Canvas;
using raster_test::kBackground;
using raster_test::kBrush;
using raster_test::kPen;
using raster_test::picture;

TEST(Ellipse, RadiusOneCircleIsAPlus) {
    Canvas c(5, 5);
    c.pen(PS_SOLID, 1);
    c.brush();
    Ellipse(c.dc(), 1, 1, 4, 4);
    EXPECT_EQ(c.art(), picture({
                           ".....",
                           "..#..",
                           ".#o#.",
                           "..#..",
                           ".....",
                       }));
}

TEST(Ellipse, SmallCircleWithOnePixelPen) {
    Canvas c(7, 7);
    c.pen(PS_SOLID, 1);
    c.brush();
    ASSERT_TRUE(Ellipse(c.dc(), 1, 1, 6, 6));
    EXPECT_EQ(c.art(), picture({
                           ".......",
                           "..###..",
                           ".#ooo#.",
                           ".#ooo#.",
                           ".#ooo#.",
                           "..###..",
                           ".......",
                       }));
}

TEST(Ellipse, RadiusFiveCircleTakesTheNearestPixels) {
    // Box 11 wide: centre pixel 5, radius 5. Each row takes the pixel nearest to
    // the circle (row 3: x = 4.58 gives 5); each column the nearest row (columns
    // 1 and 2 at heights 4.90 and 4.58 reach the top row, column 3 at 4.0 does not).
    Canvas c(11, 11);
    c.pen(PS_SOLID, 1);
    c.brush();
    Ellipse(c.dc(), 0, 0, 11, 11);
    EXPECT_EQ(c.art(), picture({
                           "...#####...",
                           "..#ooooo#..",
                           ".#ooooooo#.",
                           "#ooooooooo#",
                           "#ooooooooo#",
                           "#ooooooooo#",
                           "#ooooooooo#",
                           "#ooooooooo#",
                           ".#ooooooo#.",
                           "..#ooooo#..",
                           "...#####...",
                       }));
}

// Checks the shape rules for every box size up to 24 x 24.
TEST(Ellipse, SymmetricInsideTheBoxAndTouchingAllSides) {
    for (int w = 1; w <= 24; ++w) {
        for (int h = 1; h <= 24; ++h) {
            if (w == 1 && h == 1) continue;  // left empty, as on Windows (DegenerateBoxesDrawLinesAndDots)
            Canvas c(w + 4, h + 4);
            c.pen(PS_SOLID, 1);
            c.brush();
            Ellipse(c.dc(), 2, 2, 2 + w, 2 + h);
            bool top = false, bottom = false, left = false, right = false;
            for (int y = 0; y < h + 4; ++y) {
                int runs = 0;
                bool prev = false;
                for (int x = 0; x < w + 4; ++x) {
                    const bool on = c.at(x, y) != kBackground;
                    const bool in_box = x >= 2 && x < 2 + w && y >= 2 && y < 2 + h;
                    ASSERT_TRUE(in_box || !on) << w << "x" << h << " outside at " << x << "," << y;
                    if (!on) {
                        prev = false;
                        continue;
                    }
                    runs += !prev;
                    prev = true;
                    top |= y == 2;
                    bottom |= y == 1 + h;
                    left |= x == 2;
                    right |= x == 1 + w;
                    ASSERT_EQ(c.at(x, y), c.at(2 + w - 1 - (x - 2), y)) << w << "x" << h << " mirror x at " << x << "," << y;
                    ASSERT_EQ(c.at(x, y), c.at(x, 2 + h - 1 - (y - 2))) << w << "x" << h << " mirror y at " << x << "," << y;
                }
                EXPECT_LE(runs, 1) << w << "x" << h << " row " << y << " is not one run";
            }
            EXPECT_TRUE(top && bottom && left && right) << w << "x" << h;
        }
    }
}

// The one-pixel outline of a hollow ellipse separates its inside from the outside.
TEST(Ellipse, OutlineIsClosed) {
    for (int w = 3; w <= 30; ++w) {
        for (int h : {3, 4, 7, 12, 25}) {
            Canvas filled(w + 2, h + 2), hollow(w + 2, h + 2);
            filled.pen(PS_SOLID, 1);
            filled.brush();
            hollow.pen(PS_SOLID, 1);
            hollow.hollow();
            Ellipse(filled.dc(), 1, 1, 1 + w, 1 + h);
            Ellipse(hollow.dc(), 1, 1, 1 + w, 1 + h);
            // Flood the background from the canvas border through 4-neighbours.
            std::vector<char> seen(static_cast<size_t>((w + 2) * (h + 2)), 0);
            std::vector<std::pair<int, int>> todo{{0, 0}};
            seen[0] = 1;
            while (!todo.empty()) {
                auto [x, y] = todo.back();
                todo.pop_back();
                ASSERT_NE(filled.at(x, y), kBrush) << w << "x" << h << " leak into " << x << "," << y;
                for (auto [nx, ny] : {std::pair{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}}) {
                    if (nx < 0 || ny < 0 || nx >= w + 2 || ny >= h + 2) continue;
                    char &s = seen[static_cast<size_t>(ny * (w + 2) + nx)];
                    if (s || hollow.at(nx, ny) != kBackground) continue;
                    s = 1;
                    todo.push_back({nx, ny});
                }
            }
            // The outline is exactly where the filled ellipse has its pen.
            for (int y = 0; y < h + 2; ++y)
                for (int x = 0; x < w + 2; ++x) ASSERT_EQ(hollow.at(x, y) == kPen, filled.at(x, y) == kPen);
        }
    }
}

TEST(Ellipse, ReversedCornersAreNormalised) {
    Canvas c(12, 9), ref(12, 9);
    for (Canvas *k : {&c, &ref}) {
        k->pen(PS_SOLID, 1);
        k->brush();
    }
    Ellipse(c.dc(), 11, 8, 1, 1);
    Ellipse(ref.dc(), 1, 1, 11, 8);
    EXPECT_EQ(c.art(), ref.art());
}

TEST(Ellipse, HollowBrushLeavesTheInsideAlone) {
    Canvas c(12, 12, 32, RGB(7, 7, 7));
    c.pen(PS_SOLID, 1);
    c.hollow();
    Ellipse(c.dc(), 0, 0, 12, 12);
    EXPECT_EQ(c.at(6, 6), RGB(7, 7, 7));
    EXPECT_EQ(c.at(0, 6), kPen);
    EXPECT_EQ(c.count(kBrush), 0);
}

TEST(Ellipse, NullPenFillsWhatPenAndBrushWouldCover) {
    for (auto [w, h] : {std::pair{5, 5}, {8, 8}, {13, 6}, {4, 17}}) {
        Canvas none(20, 20), both(20, 20);
        none.null_pen();
        none.brush();
        both.pen(PS_SOLID, 1, kBrush);
        both.brush();
        Ellipse(none.dc(), 1, 1, 1 + w, 1 + h);
        Ellipse(both.dc(), 1, 1, 1 + w, 1 + h);
        EXPECT_EQ(none.art(), both.art()) << w << "x" << h;
    }
}

TEST(Ellipse, DegenerateBoxesDrawLinesAndDots) {
    Canvas c(10, 7);
    c.pen(PS_SOLID, 1);
    c.brush();
    Ellipse(c.dc(), 1, 1, 2, 6);  // one column
    Ellipse(c.dc(), 3, 1, 5, 6);  // two columns
    Ellipse(c.dc(), 6, 1, 7, 2);  // one pixel: nothing, as on Windows
    Ellipse(c.dc(), 6, 3, 10, 4);  // one row
    Ellipse(c.dc(), 8, 5, 8, 7);  // empty
    EXPECT_EQ(c.art(), picture({
                           "..........",
                           ".#.##.....",
                           ".#.##.....",
                           ".#.##.####",
                           ".#.##.....",
                           ".#.##.....",
                           "..........",
                       }));
}

TEST(Ellipse, WidePenIsARingAsThickAsThePen) {
    for (int w : {2, 3, 4, 7}) {
        const int size = 21, at = 10;
        Canvas c(size + 2 * at, size + 2 * at);
        c.pen(PS_SOLID, w);
        c.brush();
        Ellipse(c.dc(), at, at, at + size, at + size);
        const int mid = at + size / 2;
        // Across the middle row: background, w pen pixels centred on the box edge, brush.
        const int first = at - w / 2;
        for (int x = 0; x < at + size; ++x) {
            const COLORREF want = x < first ? kBackground : x < first + w ? kPen : kBrush;
            if (x > mid) break;
            EXPECT_EQ(c.at(x, mid), want) << "w" << w << " x " << x;
        }
        // Symmetric about the box centre.
        for (int y = 0; y < size + 2 * at; ++y)
            for (int x = 0; x < size + 2 * at; ++x)
                ASSERT_EQ(c.at(x, y), c.at(2 * at + size - 1 - x, y)) << "w" << w << " at " << x << "," << y;
    }
}

TEST(Ellipse, WidePenOnATinyBoxIsADisc) {
    Canvas c(9, 9);
    c.pen(PS_SOLID, 5);
    c.brush();
    Ellipse(c.dc(), 4, 4, 5, 5);
    EXPECT_EQ(c.count(kBrush), 0);
    EXPECT_EQ(c.at(4, 4), kPen);
    EXPECT_EQ(c.at(2, 4), kPen);
    EXPECT_EQ(c.at(6, 4), kPen);
    EXPECT_EQ(c.at(4, 2), kPen);
    EXPECT_EQ(c.at(1, 4), kBackground);
    EXPECT_EQ(c.at(2, 2), kBackground);
}

TEST(Ellipse, ClippingDoesNotChangeThePixels) {
    const std::array<int, 5> boxes[] = {{-10, -10, 20, 15, 1}, {25, 12, 60, 50, 1}, {-30, 5, 70, 25, 3},
                                        {5, -40, 25, 80, 6},   {-5, -5, 45, 35, 9}, {-300, -200, 340, 230, 1}};
    for (const auto &b : boxes) {
        EXPECT_TRUE(raster_test::clipped_like_unclipped(40, 30, 800, 600, 350, 250, [&](Canvas &c, int ox, int oy) {
            c.pen(PS_SOLID, b[4]);
            c.brush();
            Ellipse(c.dc(), b[0] + ox, b[1] + oy, b[2] + ox, b[3] + oy);
        })) << b[0] << "," << b[1] << "," << b[2] << "," << b[3] << " w" << b[4];
    }
}

TEST(Ellipse, InvalidDcFails) { EXPECT_FALSE(Ellipse(nullptr, 0, 0, 5, 5)); }

}  // namespace
