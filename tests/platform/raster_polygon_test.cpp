// Polygon: closed automatically, filled even-odd (GDI's ALTERNATE), centres on the right and bottom edges left open so that polygons sharing an
// edge never overlap, outlined with the pen over the fill, and clipped
// without changing its pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <vector>

#include "raster_canvas.h"

namespace {

using raster_test::Canvas;
using raster_test::kBackground;
using raster_test::kBrush;
using raster_test::kPen;
using raster_test::picture;

const POINT kStar[] = {{20, 2}, {31, 37}, {2, 14}, {38, 14}, {9, 37}};

TEST(Polygon, NeedsAtLeastTwoPoints) {
    Canvas c(5, 5);
    const POINT one[] = {{1, 1}};
    EXPECT_FALSE(Polygon(c.dc(), one, 1));
    EXPECT_FALSE(Polygon(c.dc(), one, 0));
    EXPECT_FALSE(Polygon(c.dc(), one, -3));
    EXPECT_FALSE(Polygon(c.dc(), nullptr, 3));
    EXPECT_FALSE(Polygon(nullptr, one, 1));
    EXPECT_EQ(c.count(kBackground), 25);
}

TEST(Polygon, FillWithoutPenLeavesRightAndBottomOpen) {
    Canvas c(7, 6);
    c.null_pen();
    c.brush();
    const POINT sq[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    ASSERT_TRUE(Polygon(c.dc(), sq, 4));
    EXPECT_EQ(c.art(), picture({
                           ".......",
                           ".oooo..",
                           ".oooo..",
                           ".oooo..",
                           ".......",
                           ".......",
                       }));
}

TEST(Polygon, FillTakesThePixelsWhoseCentresAreInside) {
    // The slanted edge runs from (9, 1) to (1, 6): x = 9 - 1.6 (y - 1).
    Canvas c(11, 8);
    c.null_pen();
    c.brush();
    const POINT tri[] = {{1, 1}, {9, 1}, {1, 6}};
    Polygon(c.dc(), tri, 3);
    EXPECT_EQ(c.art(), picture({
                           "...........",
                           ".oooooooo..",
                           ".ooooooo...",
                           ".ooooo.....",
                           ".oooo......",
                           ".oo........",
                           "...........",
                           "...........",
                       }));
}

TEST(Polygon, PenOutlineIncludesEveryVertex) {
    Canvas c(7, 6);
    c.pen(PS_SOLID, 1);
    c.brush();
    const POINT sq[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    Polygon(c.dc(), sq, 4);
    EXPECT_EQ(c.art(), picture({
                           ".......",
                           ".#####.",
                           ".#ooo#.",
                           ".#ooo#.",
                           ".#####.",
                           ".......",
                       }));
}

TEST(Polygon, TwoPointsDrawTheSegmentWithBothEnds) {
    Canvas c(6, 3);
    c.pen(PS_SOLID, 1);
    c.brush();
    const POINT seg[] = {{1, 1}, {4, 1}};
    EXPECT_TRUE(Polygon(c.dc(), seg, 2));
    EXPECT_EQ(c.art(), picture({
                           "......",
                           ".####.",
                           "......",
                       }));
}

TEST(Polygon, StarIsFilledEvenOdd) {
    Canvas alt(41, 41);
    alt.null_pen();
    alt.brush();
    Polygon(alt.dc(), kStar, 5);
    // The inner pentagon is crossed twice: a hole for even-odd.
    EXPECT_EQ(alt.at(20, 22), kBackground);
    // The points of the star are filled, the outside is not.
    for (auto [x, y] : {std::pair{20, 6}, {33, 15}, {7, 15}, {11, 34}, {29, 34}})
        EXPECT_EQ(alt.at(x, y), kBrush) << x << "," << y;
    for (auto [x, y] : {std::pair{2, 2}, {20, 36}, {38, 30}}) EXPECT_EQ(alt.at(x, y), kBackground);
}

TEST(Polygon, NeighboursSharingAnEdgeNeverOverlap) {
    const std::vector<std::vector<POINT>> quads = {
        {{2, 2}, {12, 2}, {12, 12}, {2, 12}},
        {{3, 1}, {17, 4}, {14, 15}, {1, 11}},
        {{10, 0}, {19, 9}, {10, 18}, {0, 9}},
    };
    for (const auto &q : quads) {
        Canvas whole(20, 20), a(20, 20), b(20, 20);
        for (Canvas *c : {&whole, &a, &b}) {
            c->null_pen();
            c->brush();
        }
        const POINT ta[] = {q[0], q[1], q[2]}, tb[] = {q[0], q[2], q[3]};
        Polygon(whole.dc(), q.data(), 4);
        Polygon(a.dc(), ta, 3);
        Polygon(b.dc(), tb, 3);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool in_a = a.at(x, y) == kBrush, in_b = b.at(x, y) == kBrush;
                ASSERT_FALSE(in_a && in_b) << "overlap at " << x << "," << y;
                ASSERT_EQ(in_a || in_b, whole.at(x, y) == kBrush) << x << "," << y;
            }
    }
}

TEST(Polygon, WideOutlineMatchesTheRectangleOnTheSamePath) {
    for (int w : {3, 4, 6}) {
        Canvas poly(30, 30), rect(30, 30);
        for (Canvas *c : {&poly, &rect}) {
            c->pen(PS_SOLID, w);
            c->hollow();
        }
        const POINT path[] = {{8, 7}, {20, 7}, {20, 22}, {8, 22}};
        Polygon(poly.dc(), path, 4);
        Rectangle(rect.dc(), 8, 7, 21, 23);
        EXPECT_EQ(poly.art(), rect.art()) << "w" << w;
    }
}

TEST(Polygon, DoesNotUseOrMoveTheCurrentPosition) {
    Canvas c(10, 10);
    c.pen(PS_SOLID, 1);
    MoveToEx(c.dc(), 7, 8, nullptr);
    const POINT tri[] = {{1, 1}, {5, 1}, {3, 4}};
    Polygon(c.dc(), tri, 3);
    POINT p;
    MoveToEx(c.dc(), 0, 0, &p);
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, 8);
}

TEST(Polygon, ClippingDoesNotChangeThePixels) {
    const std::vector<std::vector<POINT>> shapes = {
        {{-20, -10}, {50, 5}, {10, 45}},
        {{20, -200}, {300, 25}, {-150, 28}},
        {{20, 2}, {31, 37}, {2, 14}, {38, 14}, {9, 37}},
        {{-30, 15}, {70, 15}, {20, -30}, {20, 60}},
    };
    for (const auto &s : shapes) {
        for (int w : {0, 3, 6}) {
            EXPECT_TRUE(raster_test::clipped_like_unclipped(40, 30, 700, 500, 300, 240, [&](Canvas &c, int ox, int oy) {
                c.pen(PS_SOLID, w);
                c.brush();
                std::vector<POINT> moved = s;
                for (POINT &p : moved) p.x += ox, p.y += oy;
                Polygon(c.dc(), moved.data(), static_cast<int>(moved.size()));
            })) << "w" << w << " first point " << s[0].x << "," << s[0].y;
        }
    }
}

TEST(Polygon, HollowBrushDrawsOnlyTheOutline) {
    Canvas c(41, 41);
    c.pen(PS_SOLID, 1);
    c.hollow();
    Polygon(c.dc(), kStar, 5);
    EXPECT_EQ(c.count(kBrush), 0);
    EXPECT_EQ(c.at(20, 22), kBackground);
    for (const POINT &p : kStar) EXPECT_EQ(c.at(p.x, p.y), kPen);
}

}  // namespace
