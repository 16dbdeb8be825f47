// MoveToEx and LineTo: the end point is left out, the current position
// moves, one-pixel lines take the nearest pixel on every step with halves
// going to the smaller minor coordinate, clipping never changes which pixels
// a line lights, and wide pens are round-capped strokes centred on the line.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "gdi/raster.h"
#include "raster_canvas.h"

namespace {

using raster_test::Canvas;
using raster_test::kBackground;
using raster_test::kPen;
using raster_test::picture;

using Pixels = std::set<std::pair<int, int>>;

Pixels lit(const Canvas &c) {
    Pixels s;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.at(x, y) == kPen) s.insert({x, y});
    return s;
}

void line(const Canvas &c, int x0, int y0, int x1, int y1) {
    MoveToEx(c.dc(), x0, y0, nullptr);
    LineTo(c.dc(), x1, y1);
}

// End points on the square ring of radius r around a centre.
std::vector<std::pair<int, int>> ring(int r) {
    std::vector<std::pair<int, int>> v;
    for (int dx = -r; dx <= r; ++dx)
        for (int dy = -r; dy <= r; ++dy)
            if (dx == -r || dx == r || dy == -r || dy == r) v.push_back({dx, dy});
    return v;
}

TEST(LineTo, LeavesOutTheEndPointAndMovesThePosition) {
    Canvas c(6, 3);
    c.pen(PS_SOLID, 1);
    POINT prev{-1, -1};
    ASSERT_TRUE(MoveToEx(c.dc(), 1, 1, &prev));
    EXPECT_EQ(prev.x, 0);  // a new DC starts at (0, 0)
    EXPECT_EQ(prev.y, 0);
    ASSERT_TRUE(LineTo(c.dc(), 4, 1));
    EXPECT_EQ(c.art(), picture({
                           "......",
                           ".###..",
                           "......",
                       }));
    MoveToEx(c.dc(), 0, 0, &prev);
    EXPECT_EQ(prev.x, 4);
    EXPECT_EQ(prev.y, 1);
}

TEST(LineTo, ZeroLengthThinLineDrawsNothing) {
    Canvas c(3, 3);
    c.pen(PS_SOLID, 0);
    line(c, 1, 1, 1, 1);
    EXPECT_EQ(c.count(kBackground), 9);
}

TEST(LineTo, HalvesGoToTheSmallerMinorCoordinate) {
    Canvas shallow(5, 3);
    shallow.pen(PS_SOLID, 0);
    line(shallow, 0, 0, 4, 2);  // y = 0.5 at x = 1 and 1.5 at x = 3
    EXPECT_EQ(shallow.art(), picture({
                                 "##...",
                                 "..##.",
                                 ".....",
                             }));
    Canvas steep(3, 5);
    steep.pen(PS_SOLID, 0);
    line(steep, 0, 0, 2, 4);  // x = 0.5 at y = 1 and 1.5 at y = 3
    EXPECT_EQ(steep.art(), picture({
                               "#..",
                               "#..",
                               ".#.",
                               ".#.",
                               "...",
                           }));
    Canvas back(5, 3);
    back.pen(PS_SOLID, 0);
    line(back, 4, 2, 0, 0);
    EXPECT_EQ(back.art(), picture({
                              ".#...",
                              "..##.",
                              "....#",
                          }));
}

TEST(LineTo, EveryStepTakesTheNearestPixel) {
    for (int r : {7, 12}) {
        for (auto [dx, dy] : ring(r)) {
            Canvas c(2 * r + 3, 2 * r + 3);
            c.pen(PS_SOLID, 0);
            const int x0 = r + 1, y0 = r + 1;
            line(c, x0, y0, x0 + dx, y0 + dy);
            const Pixels px = lit(c);
            const bool x_major = std::abs(dx) >= std::abs(dy);
            const int n = x_major ? std::abs(dx) : std::abs(dy);
            ASSERT_EQ(static_cast<int>(px.size()), n) << dx << "," << dy;
            EXPECT_TRUE(px.count({x0, y0})) << dx << "," << dy;
            EXPECT_FALSE(px.count({x0 + dx, y0 + dy})) << dx << "," << dy;
            for (auto [x, y] : px) {
                // Step i along the major axis; the minor offset is within half a pixel of the true line.
                const int i = x_major ? (x - x0) * (dx < 0 ? -1 : 1) : (y - y0) * (dy < 0 ? -1 : 1);
                const int minor = x_major ? y - y0 : x - x0, dm = x_major ? dy : dx;
                ASSERT_GE(i, 0);
                ASSERT_LT(i, n);
                EXPECT_LE(std::abs(2 * minor * n - 2 * i * dm), n) << dx << "," << dy << " at " << x << "," << y;
            }
        }
    }
}

TEST(LineTo, ReverseLineLightsTheSamePixels) {
    for (auto [dx, dy] : ring(9)) {
        Canvas fwd(21, 21), rev(21, 21);
        fwd.pen(PS_SOLID, 0);
        rev.pen(PS_SOLID, 0);
        line(fwd, 10, 10, 10 + dx, 10 + dy);
        line(rev, 10 + dx, 10 + dy, 10, 10);
        Pixels a = lit(fwd), b = lit(rev);
        a.insert({10 + dx, 10 + dy});
        b.insert({10, 10});
        EXPECT_EQ(a, b) << dx << "," << dy;
    }
}

TEST(LineTo, WidthZeroAndOneAreTheSame) {
    for (auto [dx, dy] : ring(6)) {
        Canvas zero(15, 15), one(15, 15);
        zero.pen(PS_SOLID, 0);
        one.pen(PS_SOLID, 1);
        line(zero, 7, 7, 7 + dx, 7 + dy);
        line(one, 7, 7, 7 + dx, 7 + dy);
        EXPECT_EQ(zero.art(), one.art()) << dx << "," << dy;
    }
}

TEST(LineTo, ClippingDoesNotChangeThePixels) {
    struct Seg {
        int x0, y0, x1, y1, width;
    };
    const Seg segs[] = {
        {-1000, -37, 1050, 80, 0}, {35, -400, -20, 900, 0}, {-3, 5, 60, 29, 1},  {50, 31, -90, -2, 0},
        {-500, 12, 500, 13, 0},    {20, -500, 21, 500, 0},  {-50, -50, 90, 90, 0}, {-800, 40, 900, -5, 3},
        {45, -300, -40, 500, 4},   {-60, 10, 80, 20, 7},
    };
    for (const Seg &s : segs) {
        EXPECT_TRUE(raster_test::clipped_like_unclipped(40, 30, 2400, 1600, 1100, 500, [&](Canvas &c, int ox, int oy) {
            c.pen(PS_SOLID, s.width);
            line(c, s.x0 + ox, s.y0 + oy, s.x1 + ox, s.y1 + oy);
        })) << s.x0 << "," << s.y0 << " -> " << s.x1 << "," << s.y1;
    }
}

TEST(LineTo, WideOddPenIsCentredWithRoundCapsAndKeepsItsEnd) {
    Canvas c(15, 11);
    c.pen(PS_SOLID, 5);
    line(c, 5, 5, 9, 5);
    EXPECT_EQ(c.art(), picture({
                           "...............",
                           "...............",
                           "...............",
                           "....#######....",
                           "...#########...",
                           "...#########...",
                           "...#########...",
                           "....#######....",
                           "...............",
                           "...............",
                           "...............",
                       }));
}

TEST(LineTo, WideEvenPenPutsTheExtraRowAboveAndLeft) {
    Canvas h(9, 8);
    h.pen(PS_SOLID, 2);
    line(h, 2, 5, 6, 5);
    EXPECT_EQ(h.art(), picture({
                           ".........",
                           ".........",
                           ".........",
                           ".........",
                           ".######..",
                           ".######..",
                           ".........",
                           ".........",
                       }));
    Canvas v(6, 8);
    v.pen(PS_SOLID, 2);
    line(v, 3, 1, 3, 5);
    EXPECT_EQ(v.art(), picture({
                           "..##..",
                           "..##..",
                           "..##..",
                           "..##..",
                           "..##..",
                           "..##..",
                           "......",
                           "......",
                       }));
}

// Distance from (px, py) to the segment (ax, ay)-(bx, by).
double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
    const double vx = bx - ax, vy = by - ay, l2 = vx * vx + vy * vy;
    double t = l2 > 0 ? ((px - ax) * vx + (py - ay) * vy) / l2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    const double dx = px - (ax + t * vx), dy = py - (ay + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

TEST(LineTo, WidePenLightsThePixelsWithinHalfTheWidth) {
    for (int w : {2, 3, 4, 5, 8, 11}) {
        for (auto [dx, dy] : ring(7)) {
            Canvas c(41, 41);
            c.pen(PS_SOLID, w);
            line(c, 20, 20, 20 + dx, 20 + dy);
            // Pixel (x, y) is centred on (x, y); even widths run half a pixel up and left.
            const double shift = w % 2 ? 0.0 : -0.5;
            for (int y = 0; y < 41; ++y)
                for (int x = 0; x < 41; ++x) {
                    const double d = segment_distance(x, y, 20 + shift, 20 + shift, 20 + dx + shift, 20 + dy + shift);
                    if (std::abs(d - w / 2.0) < 1e-9) continue;  // no centre lies exactly on the edge
                    ASSERT_EQ(c.at(x, y), d < w / 2.0 ? kPen : kBackground)
                        << "w" << w << " to " << dx << "," << dy << " at " << x << "," << y;
                }
        }
    }
}

TEST(LineTo, WideZeroLengthLineIsADot) {
    Canvas c(7, 7);
    c.pen(PS_SOLID, 5);
    line(c, 3, 3, 3, 3);
    EXPECT_EQ(c.art(), picture({
                           ".......",
                           "..###..",
                           ".#####.",
                           ".#####.",
                           ".#####.",
                           "..###..",
                           ".......",
                       }));
}

TEST(LineTo, WideDiagonalIsSymmetricAboutItsMiddle) {
    // A centred stroke of a segment looks the same turned half a turn about the segment's middle.
    for (int w : {3, 5, 6, 9}) {
        Canvas c(31, 31);
        c.pen(PS_SOLID, w);
        line(c, 8, 10, 22, 20);
        const int shift = (w % 2) ? 0 : -1;  // even widths sit half a pixel up and left
        for (int y = 0; y < 31; ++y)
            for (int x = 0; x < 31; ++x) {
                const int mx = 30 - x + shift, my = 30 - y + shift;
                if (mx < 0 || my < 0) continue;
                ASSERT_EQ(c.at(x, y), c.at(mx, my)) << "w" << w << " at " << x << "," << y;
            }
    }
}

// capsule_row against the exact point test, pixel by pixel, on random wide
// segments whose edge (a side or a round cap) runs through a small window:
// short ones take the exact 64-bit rows, long ones reaching the int32 limits
// the corrected long double guesses, nearly axis-parallel ones included.
TEST(Capsule, RowsMatchTheExactPointTest) {
    std::mt19937_64 rng(20240611);
    auto pick = [&](int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng); };
    using Real = long double;
    int edges_seen = 0;
    for (int n = 0; n < 3000; ++n) {
        const bool small = n % 4 == 0;
        const int64_t qx = pick(0, small ? 1 << 12 : 1 << 26), qy = pick(0, small ? 1 << 12 : 1 << 26);
        const int64_t width = std::min<int64_t>(INT32_MAX, pick(2, int64_t{1} << pick(1, small ? 10 : 31)));
        // Direction: any, or within a few units of an axis over 2^31.
        Real dx = static_cast<Real>(pick(-(1 << 30), 1 << 30)), dy = static_cast<Real>(pick(-(1 << 30), 1 << 30));
        if (n % 3 == 1) dx = static_cast<Real>(pick(-4, 4)), dy = Real{2147483647};
        if (n % 3 == 2) dx = Real{2147483647}, dy = static_cast<Real>(pick(-4, 4));
        const Real len = std::sqrt(dx * dx + dy * dy);
        if (len == 0) continue;
        dx /= len, dy /= len;
        // The edge passes within a few pixels of (qx, qy): a side of the
        // stroke, or the cap round end point b.
        const Real off = static_cast<Real>(width) / 2 + static_cast<Real>(pick(-3, 3));
        const bool cap = n % 2 == 1;
        const Real px = static_cast<Real>(qx) + (cap ? -dx : -dy) * off;
        const Real py = static_cast<Real>(qy) + (cap ? -dy : dx) * off;
        const Real reach = small ? Real{4096} : Real{4294967296.0};
        auto to_int = [](Real v) {
            return static_cast<int64_t>(std::clamp<Real>(std::round(v), INT32_MIN, INT32_MAX));
        };
        const int64_t ax = to_int(px - dx * reach), ay = to_int(py - dy * reach);
        const int64_t bx = to_int(cap ? px : px + dx * reach), by = to_int(cap ? py : py + dy * reach);
        const standin::Capsule c = standin::make_capsule(ax, ay, bx, by, width);
        for (int64_t y = qy - 4; y < qy + 4; ++y) {
            const int64_t cl = qx - 24, cr = qx + 24;
            standin::Span s;
            const bool any = standin::capsule_row(c, y, cl, cr, &s);
            int inside = 0;
            for (int64_t x = cl; x < cr; ++x) {
                const bool in = standin::capsule_contains(c, 2 * x + 1, 2 * y + 1);
                inside += in;
                ASSERT_EQ(any && x >= s.l && x < s.r, in) << "segment (" << ax << "," << ay << ")-(" << bx << ","
                                                          << by << ") width " << width << " pixel " << x << "," << y;
            }
            edges_seen += inside > 0 && inside < cr - cl;
        }
    }
    EXPECT_GT(edges_seen, 8000);  // of 24000 rows: most show an edge, not all or nothing
}

TEST(LineTo, NullPenDrawsNothingButMoves) {
    Canvas c(5, 5);
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    MoveToEx(c.dc(), 0, 0, nullptr);
    EXPECT_TRUE(LineTo(c.dc(), 4, 4));
    EXPECT_EQ(c.count(kBackground), 25);
    POINT p;
    MoveToEx(c.dc(), 0, 0, &p);
    EXPECT_EQ(p.x, 4);
    EXPECT_EQ(p.y, 4);
}

TEST(LineTo, InvalidDcFails) {
    EXPECT_FALSE(MoveToEx(nullptr, 1, 1, nullptr));
    EXPECT_FALSE(LineTo(nullptr, 1, 1));
}

}  // namespace
