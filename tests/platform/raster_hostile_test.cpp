// Hostile arguments: every primitive takes any int32 coordinate and pen width
// (INT_MIN..INT_MAX) without crashing, hanging or writing outside the bitmap
// (run under AddressSanitizer), and the pixels it does draw near the origin
// are the ones the geometry says.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "raster_canvas.h"

namespace {

using raster_test::Canvas;
using raster_test::kBackground;
using raster_test::kBrush;
using raster_test::kPen;

const int kCoords[] = {INT_MIN, INT_MIN + 1, -1000000000, -70000, -1, 0, 1, 7, 70000, 1000000000, INT_MAX - 1, INT_MAX};
const int kWidths[] = {0, 1, 2, 3, 255, 65536, INT_MAX / 2, INT_MAX - 1, INT_MAX};

// Every pixel is one of the colours the drawing may use.
void expect_only(const Canvas &c, std::initializer_list<COLORREF> allowed) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            bool ok = false;
            for (COLORREF a : allowed) ok |= c.at(x, y) == a;
            ASSERT_TRUE(ok) << x << "," << y;
        }
}

TEST(Hostile, RectangleAndEllipseTakeAnyBoxAndWidth) {
    Canvas c(16, 16);
    c.brush();
    for (int w : kWidths) {
        c.pen(PS_SOLID, w);
        for (int l : kCoords)
            for (int t : kCoords)
                for (int r : kCoords)
                    for (int b : kCoords) {
                        EXPECT_TRUE(Rectangle(c.dc(), l, t, r, b));
                        EXPECT_TRUE(Ellipse(c.dc(), l, t, r, b));
                    }
    }
    c.pen(PS_INSIDEFRAME, INT_MAX);
    EXPECT_TRUE(Rectangle(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    EXPECT_TRUE(Ellipse(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    expect_only(c, {kBackground, kPen, kBrush});
}

TEST(Hostile, HugeShapesAroundTheCanvasFillItWithTheBrush) {
    for (int w : {0, 1, 2, 3, INT_MAX / 2, INT_MAX}) {
        Canvas rect(16, 16), ell(16, 16);
        for (Canvas *c : {&rect, &ell}) {
            c->pen(PS_SOLID, w);
            c->brush();
        }
        // The outline lies about 2^31 pixels away; even the widest pen reaches only 2^30.
        Rectangle(rect.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
        Ellipse(ell.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
        EXPECT_EQ(rect.count(kBrush), 256) << w;
        EXPECT_EQ(ell.count(kBrush), 256) << w;
    }
}

TEST(Hostile, WidestPenOnASmallShapeCoversTheCanvas) {
    Canvas rect(16, 16), ell(16, 16), line(16, 16);
    for (Canvas *c : {&rect, &ell, &line}) {
        c->pen(PS_SOLID, INT_MAX);
        c->brush();
    }
    Rectangle(rect.dc(), 2, 2, 5, 5);
    Ellipse(ell.dc(), 2, 2, 5, 5);
    MoveToEx(line.dc(), 8, 8, nullptr);
    LineTo(line.dc(), 9, 8);
    EXPECT_EQ(rect.count(kPen), 256);
    EXPECT_EQ(ell.count(kPen), 256);
    EXPECT_EQ(line.count(kPen), 256);
}

TEST(Hostile, LinesTakeAnyEndPointsAndWidth) {
    Canvas c(16, 16);
    for (int w : kWidths) {
        c.pen(PS_SOLID, w);
        for (int x0 : kCoords)
            for (int y0 : kCoords)
                for (int x1 : kCoords)
                    for (int y1 : kCoords) {
                        MoveToEx(c.dc(), x0, y0, nullptr);
                        EXPECT_TRUE(LineTo(c.dc(), x1, y1));
                    }
    }
    expect_only(c, {kBackground, kPen});
}

TEST(Hostile, LongThinLinesLightExactlyTheirVisiblePixels) {
    Canvas diag(16, 16), row(16, 16);
    diag.pen(PS_SOLID, 0);
    row.pen(PS_SOLID, 0);
    // dx = dy = 2^32 - 1: an exact diagonal through (i, i).
    MoveToEx(diag.dc(), INT_MIN, INT_MIN, nullptr);
    LineTo(diag.dc(), INT_MAX, INT_MAX);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(diag.at(x, y), x == y ? kPen : kBackground) << x << "," << y;
    MoveToEx(row.dc(), INT_MAX, 3, nullptr);
    LineTo(row.dc(), INT_MIN, 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(row.at(x, y), y == 3 ? kPen : kBackground) << x << "," << y;
}

TEST(Hostile, LongWideLinesKeepTheirWidth) {
    Canvas row(16, 16), diag(16, 16);
    row.pen(PS_SOLID, 3);
    diag.pen(PS_SOLID, 3);
    MoveToEx(row.dc(), INT_MIN, 5, nullptr);
    LineTo(row.dc(), INT_MAX, 5);
    MoveToEx(diag.dc(), INT_MIN, INT_MIN, nullptr);
    LineTo(diag.dc(), INT_MAX, INT_MAX);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(row.at(x, y), y >= 4 && y <= 6 ? kPen : kBackground) << x << "," << y;
            // Within 1.5 of the diagonal: |x - y| / sqrt(2) <= 1.5, so |x - y| <= 2.
            EXPECT_EQ(diag.at(x, y), std::abs(x - y) <= 2 ? kPen : kBackground) << x << "," << y;
        }
}

TEST(Hostile, PolygonsTakeAnyPoints) {
    Canvas c(16, 16);
    c.brush();
    for (int w : {0, 1, 4, INT_MAX}) {
        c.pen(PS_SOLID, w);
        for (int a : kCoords)
            for (int b : kCoords)
                for (int d : kCoords) {
                    const POINT tri[] = {{a, b}, {b, d}, {d, a}};
                    EXPECT_TRUE(Polygon(c.dc(), tri, 3));
                    const POINT quad[] = {{a, a}, {INT_MAX, b}, {d, INT_MIN}, {INT_MIN, d}};
                    EXPECT_TRUE(Polygon(c.dc(), quad, 4));
                }
    }
    expect_only(c, {kBackground, kPen, kBrush});
}

TEST(Hostile, HugeTriangleAroundTheCanvasFillsIt) {
    Canvas c(16, 16);
    c.pen(PS_SOLID, 1);
    c.brush();
    const POINT tri[] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {0, INT_MAX}};
    Polygon(c.dc(), tri, 3);
    EXPECT_EQ(c.count(kBrush), 256);
}

TEST(Hostile, PixelsAndFillsTakeAnyCoordinates) {
    Canvas c(16, 16);
    HBRUSH b = CreateSolidBrush(kBrush);
    for (int x : kCoords)
        for (int y : kCoords) {
            SetPixel(c.dc(), x, y, kPen);
            GetPixel(c.dc(), x, y);
            for (int r : kCoords) {
                const RECT rc{x, y, r, r};
                FillRect(c.dc(), &rc, b);
            }
        }
    expect_only(c, {kBackground, kPen, kBrush});
    DeleteObject(b);
}

}  // namespace
