// SetPixel, GetPixel and FillRect: stored colours, clipping, monochrome
// surfaces and the brush rules of FillRect.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>

#include "raster_canvas.h"

namespace {

using raster_test::Canvas;
using raster_test::kBackground;
using raster_test::kBrush;
using raster_test::kPen;
using raster_test::picture;

TEST(SetPixel, StoresAndReturnsTheColour) {
    Canvas c(4, 3);
    EXPECT_EQ(SetPixel(c.dc(), 2, 1, RGB(10, 20, 30)), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(c.dc(), 2, 1), RGB(10, 20, 30));
    // Only that pixel changed.
    EXPECT_EQ(c.count(kBackground), 11);
    // The high byte of a COLORREF is not a colour.
    EXPECT_EQ(SetPixel(c.dc(), 0, 0, 0xFF000000u | RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(c.dc(), 0, 0), RGB(1, 2, 3));
}

TEST(SetPixel, OutsideTheSurfaceIsInvalidAndHarmless) {
    Canvas c(4, 3);
    for (int x : {-1, 4, INT_MIN, INT_MAX}) {
        EXPECT_EQ(SetPixel(c.dc(), x, 1, kPen), CLR_INVALID) << x;
        EXPECT_EQ(GetPixel(c.dc(), x, 1), CLR_INVALID) << x;
    }
    for (int y : {-1, 3, INT_MIN, INT_MAX}) {
        EXPECT_EQ(SetPixel(c.dc(), 1, y, kPen), CLR_INVALID) << y;
        EXPECT_EQ(GetPixel(c.dc(), 1, y), CLR_INVALID) << y;
    }
    EXPECT_EQ(c.count(kBackground), 12);
}

TEST(SetPixel, InvalidDcFails) {
    EXPECT_EQ(SetPixel(nullptr, 0, 0, kPen), CLR_INVALID);
    EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
    HDC gone = CreateCompatibleDC(nullptr);
    DeleteDC(gone);
    EXPECT_EQ(SetPixel(gone, 0, 0, kPen), CLR_INVALID);
}

TEST(SetPixel, MonochromeSurfaceStoresBlackOrWhite) {
    Canvas c(3, 1, 1);
    EXPECT_EQ(SetPixel(c.dc(), 0, 0, RGB(200, 190, 180)), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(c.dc(), 1, 0, RGB(60, 40, 90)), RGB(0, 0, 0));
    EXPECT_EQ(SetPixel(c.dc(), 2, 0, RGB(255, 0, 0)), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(c.dc(), 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(c.dc(), 1, 0), RGB(0, 0, 0));
}

TEST(SetPixel, FreshMemoryDcDrawsOnItsOneByOneMonochromeBitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(250, 250, 250)), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(dc, 1, 0, RGB(250, 250, 250)), CLR_INVALID);
    // The stock bitmap is shared; leave it black again.
    SetPixel(dc, 0, 0, RGB(0, 0, 0));
    DeleteDC(dc);
}

TEST(FillRect, FillsHalfOpenRectangleWithTheBrushNotThePen) {
    Canvas c(6, 4);
    c.pen(PS_SOLID, 1, kPen);
    HBRUSH b = CreateSolidBrush(kBrush);
    const RECT r{1, 1, 4, 3};
    EXPECT_NE(FillRect(c.dc(), &r, b), 0);
    EXPECT_EQ(c.art(), picture({
                           "......",
                           ".ooo..",
                           ".ooo..",
                           "......",
                       }));
    DeleteObject(b);
}

TEST(FillRect, InvertedEmptyAndHollowDrawNothing) {
    Canvas c(6, 4);
    HBRUSH b = CreateSolidBrush(kBrush);
    const RECT inverted{4, 3, 1, 1}, empty{2, 1, 2, 3};
    FillRect(c.dc(), &inverted, b);
    FillRect(c.dc(), &empty, b);
    const RECT all{0, 0, 6, 4};
    FillRect(c.dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(c.count(kBackground), 24);
    EXPECT_EQ(FillRect(c.dc(), nullptr, b), 0);
    EXPECT_EQ(FillRect(c.dc(), &all, nullptr), 0);
    EXPECT_EQ(FillRect(nullptr, &all, b), 0);
    DeleteObject(b);
}

TEST(FillRect, ClipsToTheSurface) {
    Canvas c(4, 3);
    HBRUSH b = CreateSolidBrush(kBrush);
    const RECT huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_NE(FillRect(c.dc(), &huge, b), 0);
    EXPECT_EQ(c.count(kBrush), 12);
    c.clear(kBackground);
    const RECT corner{-5, 2, 2, 100};
    FillRect(c.dc(), &corner, b);
    EXPECT_EQ(c.art(), picture({
                           "....",
                           "....",
                           "oo..",
                       }));
    DeleteObject(b);
}

TEST(FillRect, MonochromeSurfaceGetsTheNearestOfBlackAndWhite) {
    Canvas c(2, 1, 1);
    HBRUSH light = CreateSolidBrush(RGB(220, 220, 100)), dark = CreateSolidBrush(RGB(0, 0, 255));
    const RECT left{0, 0, 1, 1}, right{1, 0, 2, 1};
    FillRect(c.dc(), &left, light);
    FillRect(c.dc(), &right, dark);
    EXPECT_EQ(c.at(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(c.at(1, 0), RGB(0, 0, 0));
    DeleteObject(light);
    DeleteObject(dark);
}

}  // namespace
