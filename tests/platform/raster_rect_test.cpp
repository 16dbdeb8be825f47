// Rectangle: which pixels the outline and the inside take (right and bottom
// edge excluded), reversed corners, hollow brush, NULL pen, degenerate boxes,
// wide pens centred on the outline with rounded outer corners, PS_INSIDEFRAME
// and clipping.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <utility>

#include "raster_canvas.h"

namespace {

using raster_test::Canvas;
using raster_test::kBackground;
using raster_test::kBrush;
using raster_test::kPen;
using raster_test::picture;

TEST(Rectangle, OnePixelPenFootprintIsLeftToRightMinusOne) {
    Canvas c(7, 6);
    c.pen(PS_SOLID, 1);
    c.brush();
    ASSERT_TRUE(Rectangle(c.dc(), 1, 1, 6, 5));
    const std::string expected = picture({
        ".......",
        ".#####.",
        ".#ooo#.",
        ".#ooo#.",
        ".#####.",
        ".......",
    });
    EXPECT_EQ(c.art(), expected);
    Canvas zero(7, 6);
    zero.pen(PS_SOLID, 0);
    zero.brush();
    Rectangle(zero.dc(), 1, 1, 6, 5);
    EXPECT_EQ(zero.art(), expected);
}

TEST(Rectangle, ReversedCornersAreNormalised) {
    for (auto [l, t, r, b] : {std::array{6, 5, 1, 1}, std::array{1, 5, 6, 1}, std::array{6, 1, 1, 5}}) {
        Canvas c(7, 6), ref(7, 6);
        c.pen(PS_SOLID, 1);
        c.brush();
        ref.pen(PS_SOLID, 1);
        ref.brush();
        Rectangle(c.dc(), l, t, r, b);
        Rectangle(ref.dc(), 1, 1, 6, 5);
        EXPECT_EQ(c.art(), ref.art());
    }
}

TEST(Rectangle, HollowBrushLeavesTheInsideAlone) {
    Canvas c(6, 5, 32, RGB(9, 9, 9));
    c.pen(PS_SOLID, 1);
    c.hollow();
    Rectangle(c.dc(), 0, 0, 6, 5);
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 5; ++x) EXPECT_EQ(c.at(x, y), RGB(9, 9, 9)) << x << "," << y;
    EXPECT_EQ(c.count(kPen), 2 * 6 + 2 * 3);
}

TEST(Rectangle, NullPenFillsOnePixelLessRightAndBelow) {
    Canvas c(7, 6);
    c.null_pen();
    c.brush();
    Rectangle(c.dc(), 1, 1, 6, 5);
    EXPECT_EQ(c.art(), picture({
                           ".......",
                           ".oooo..",
                           ".oooo..",
                           ".oooo..",
                           ".......",
                           ".......",
                       }));
}

TEST(Rectangle, SameColourPenAndBrushFillTheWholeBox) {
    Canvas c(601, 540);
    c.pen(PS_SOLID, 0, kBrush);
    c.brush(kBrush);
    Rectangle(c.dc(), 0, 0, 601, 540);
    EXPECT_EQ(c.count(kBrush), 601 * 540);
}

TEST(Rectangle, DegenerateBoxesDrawLinesAndDots) {
    Canvas c(9, 7);
    c.pen(PS_SOLID, 1);
    c.brush();
    Rectangle(c.dc(), 1, 1, 2, 6);  // one column wide
    Rectangle(c.dc(), 3, 1, 5, 6);  // two columns: outline only
    Rectangle(c.dc(), 6, 1, 7, 2);  // one pixel: nothing, as on Windows
    Rectangle(c.dc(), 6, 3, 9, 4);  // one row
    Rectangle(c.dc(), 8, 5, 8, 7);  // no width: nothing
    Rectangle(c.dc(), 6, 6, 8, 6);  // no height: nothing
    EXPECT_EQ(c.art(), picture({
                           ".........",
                           ".#.##....",
                           ".#.##....",
                           ".#.##.###",
                           ".#.##....",
                           ".#.##....",
                           ".........",
                       }));
}

TEST(Rectangle, ThreePixelPenIsCentredOnTheOutline) {
    Canvas c(13, 13);
    c.pen(PS_SOLID, 3);
    c.brush();
    Rectangle(c.dc(), 3, 3, 10, 10);
    EXPECT_EQ(c.art(), picture({
                           ".............",
                           ".............",
                           "..#########..",
                           "..#########..",
                           "..#########..",
                           "..###ooo###..",
                           "..###ooo###..",
                           "..###ooo###..",
                           "..#########..",
                           "..#########..",
                           "..#########..",
                           ".............",
                           ".............",
                       }));
}

TEST(Rectangle, EvenPenPutsTheExtraPixelAboveAndLeft) {
    Canvas c(10, 9);
    c.pen(PS_SOLID, 2);
    c.brush();
    Rectangle(c.dc(), 2, 2, 7, 7);
    EXPECT_EQ(c.art(), picture({
                           "..........",
                           ".######...",
                           ".######...",
                           ".##oo##...",
                           ".##oo##...",
                           ".######...",
                           ".######...",
                           "..........",
                           "..........",
                       }));
}

TEST(Rectangle, WidePenRoundsTheOuterCorners) {
    Canvas c(20, 20);
    c.pen(PS_SOLID, 5);
    c.hollow();
    Rectangle(c.dc(), 5, 5, 15, 15);
    // Footprint: columns and rows 3..16; the corner pixel lies 2.83 from the path corner, beyond 2.5.
    for (auto [x, y] : {std::pair{3, 3}, {16, 3}, {3, 16}, {16, 16}}) EXPECT_EQ(c.at(x, y), kBackground) << x << "," << y;
    for (auto [x, y] : {std::pair{3, 4}, {4, 3}, {16, 4}, {15, 3}, {3, 15}, {4, 16}, {16, 15}, {15, 16}})
        EXPECT_EQ(c.at(x, y), kPen) << x << "," << y;
    // The inner corners stay square, and the band is 5 wide.
    EXPECT_EQ(c.at(7, 7), kPen);
    EXPECT_EQ(c.at(8, 8), kBackground);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(c.at(x, 10), (x >= 3 && x <= 7) || (x >= 12 && x <= 16) ? kPen : kBackground) << x;
    EXPECT_EQ(c.at(2, 10), kBackground);
}

TEST(Rectangle, InsideFrameKeepsTheWholePenInsideTheBox) {
    for (int w : {4, 5}) {
        Canvas c(18, 18);
        c.pen(PS_INSIDEFRAME, w);
        c.brush();
        Rectangle(c.dc(), 2, 2, 14, 14);
        int l = 99, t = 99, r = -1, b = -1;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 18; ++x)
                if (c.at(x, y) != kBackground) l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
        EXPECT_EQ(l, 2) << w;
        EXPECT_EQ(t, 2) << w;
        EXPECT_EQ(r, 13) << w;
        EXPECT_EQ(b, 13) << w;
        EXPECT_EQ(c.at(8, 2 + w - 1), kPen) << w;
        EXPECT_EQ(c.at(8, 2 + w), kBrush) << w;
    }
}

TEST(Rectangle, DoesNotUseOrMoveTheCurrentPosition) {
    Canvas c(6, 6);
    MoveToEx(c.dc(), 3, 4, nullptr);
    Rectangle(c.dc(), 0, 0, 2, 2);
    POINT p;
    MoveToEx(c.dc(), 0, 0, &p);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 4);
}

TEST(Rectangle, ClippingDoesNotChangeThePixels) {
    struct Box {
        int l, t, r, b, w;
        bool hollow;
    };
    const Box boxes[] = {{-10, -10, 20, 15, 1, false}, {30, 20, 55, 45, 1, true}, {-30, 5, 70, 25, 3, false},
                         {5, -40, 25, 80, 6, true},    {-5, -5, 45, 35, 9, false}, {-100, -100, 200, 200, 2, false}};
    for (const Box &bx : boxes) {
        EXPECT_TRUE(raster_test::clipped_like_unclipped(40, 30, 400, 400, 150, 150, [&](Canvas &c, int ox, int oy) {
            c.pen(PS_SOLID, bx.w);
            if (bx.hollow) c.hollow(); else c.brush();
            Rectangle(c.dc(), bx.l + ox, bx.t + oy, bx.r + ox, bx.b + oy);
        })) << bx.l << "," << bx.t << "," << bx.r << "," << bx.b << " w" << bx.w;
    }
}

TEST(Rectangle, WhollyOutsideDrawsNothing) {
    Canvas c(10, 10);
    c.pen(PS_SOLID, 4);
    c.brush();
    EXPECT_TRUE(Rectangle(c.dc(), 20, 20, 30, 30));
    EXPECT_TRUE(Rectangle(c.dc(), -30, 2, -5, 8));
    EXPECT_EQ(c.count(kBackground), 100);
}

TEST(Rectangle, InvalidDcFails) { EXPECT_FALSE(Rectangle(nullptr, 0, 0, 5, 5)); }

}  // namespace
