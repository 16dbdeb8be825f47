// The renderer as the back buffer shows it: where window coordinates land,
// the boxes of filled and outlined shapes, multi-line text, records that draw
// nothing, the device context left as it was, clearing and flushing.
#include "library_fixture.h"

#include "render.h"

#include <algorithm>
#include <climits>
#include <cstring>

using namespace libtest;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

std::vector<COLORREF> snapshot() {
    std::vector<COLORREF> px;
    px.reserve(601 * 540);
    for (int y = 0; y < 540; ++y)
        for (int x = 0; x < 601; ++x) px.push_back(device_pixel(x, y));
    return px;
}

struct Box {
    int count = 0;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
};

// Device pixels of the buffer that differ from `background`.
Box ink_box(COLORREF background = kWhite) {
    Box b;
    for (int y = 0; y < 540; ++y)
        for (int x = 0; x < 601; ++x) {
            if (device_pixel(x, y) == background) continue;
            ++b.count;
            b.left = std::min(b.left, x);
            b.right = std::max(b.right, x);
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y);
        }
    return b;
}

void fill_buffer(int stock_brush) {
    RECT all{0, 0, 601, 540};
    FillRect(lib.memDC, &all, static_cast<HBRUSH>(GetStockObject(stock_brush)));
}

class Render : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        TELKA_logging(0);
        fill_buffer(WHITE_BRUSH);
    }
};

TEST_F(Render, PixelsLandRelativeToTheOrigin) {
    TELKA_pixel(4, 0, 0);
    TELKA_pixel(2, 5, 5);
    EXPECT_EQ(device_pixel(lib.originX, lib.originY), kBlue);
    EXPECT_EQ(device_pixel(lib.originX + 5, lib.originY - 5), kRed);
    const Box b = ink_box();
    EXPECT_EQ(b.count, 2);
}

TEST_F(Render, FilledRectangleIncludesBothCorners) {
    TELKA_rectangle(4, -10, 10, 10, -10, 0);
    const Box b = ink_box();
    EXPECT_EQ(b.count, 21 * 21);
    EXPECT_EQ(b.left, lib.originX - 10);
    EXPECT_EQ(b.right, lib.originX + 10);
    EXPECT_EQ(b.top, lib.originY - 10);
    EXPECT_EQ(b.bottom, lib.originY + 10);
}

TEST_F(Render, WidthOneRectangleIsAOnePixelOutline) {
    TELKA_rectangle(4, -10, 10, 10, -10, 1);
    const Box b = ink_box();
    EXPECT_EQ(b.count, 4 * 20);
    EXPECT_EQ(b.left, lib.originX - 10);
    EXPECT_EQ(b.right, lib.originX + 10);
    EXPECT_EQ(b.top, lib.originY - 10);
    EXPECT_EQ(b.bottom, lib.originY + 10);
    for (int y = -9; y <= 9; ++y)
        for (int x = -9; x <= 9; ++x) ASSERT_EQ(back_pixel(x, y), kWhite) << x << "," << y;
}

// A radius-0 circle hands the platform a box one pixel across, and a 1 x 1
// Ellipse with a one-pixel pen lights nothing, as on Windows: the circle
// draws nothing.
TEST_F(Render, CircleOfRadiusZeroDrawsNothing) {
    TELKA_circle(4, 7, -3, 0);
    EXPECT_EQ(ink_box().count, 0);
}

// The palette as a program sees it: each index's name in its log line and
// its colour in the buffer. The values are written out here on purpose, not
// taken from the library's tables.
TEST_F(Render, EveryPaletteEntryHasItsNameAndColour) {
    struct Entry {
        const char *name;
        int r, g, b;
    };
    const Entry kPalette[24] = {
        {"black", 0, 0, 0},           {"white", 255, 255, 255},      {"red", 255, 0, 0},
        {"green", 0, 255, 0},         {"blue", 0, 0, 255},           {"yellow", 255, 255, 0},
        {"magenta", 255, 0, 255},     {"cyan", 0, 255, 255},         {"purple", 153, 0, 204},
        {"navy blue", 0, 51, 153},    {"dusty plum", 153, 102, 153}, {"ice blue", 153, 255, 255},
        {"turquoise", 153, 255, 204}, {"orange", 255, 102, 0},       {"brown", 153, 102, 51},
        {"pink", 255, 153, 204},      {"chalk", 255, 255, 153},      {"gold", 204, 153, 51},
        {"peach", 255, 153, 102},     {"forest green", 0, 102, 51},  {"sea green", 51, 204, 153},
        {"olive", 153, 153, 51},      {"50% gray", 128, 128, 128},   {"20% gray", 204, 204, 204},
    };
    TELKA_logging(1);
    for (int i = 0; i < 24; ++i) {
        SCOPED_TRACE(i);
        fill_buffer(i == 0 ? WHITE_BRUSH : BLACK_BRUSH);  // never the colour under test
        TELKA_pixel(i, i - 12, 5);
        ASSERT_FALSE(ring().empty());
        EXPECT_EQ(ring().back(), std::string(kPalette[i].name) + " pixel at (" + std::to_string(i - 12) + ",5)\n");
        EXPECT_EQ(back_pixel(i - 12, 5), RGB(kPalette[i].r, kPalette[i].g, kPalette[i].b));
    }
}

TEST_F(Render, CircleOfRadiusOneIsCentredInAThreePixelBox) {
    TELKA_circle(4, 7, -3, 1);
    const Box b = ink_box();
    EXPECT_GT(b.count, 0);
    EXPECT_EQ(back_pixel(7, -3), kBlue);
    EXPECT_GE(b.left, lib.originX + 6);
    EXPECT_LE(b.right, lib.originX + 8);
    EXPECT_GE(b.top, lib.originY + 2);
    EXPECT_LE(b.bottom, lib.originY + 4);
}

TEST_F(Render, CircleFitsABoxTwoRadiiPlusOneAcross) {
    TELKA_circle(4, 0, 0, 10);
    const Box b = ink_box();
    EXPECT_EQ(b.left, lib.originX - 10);
    EXPECT_EQ(b.right, lib.originX + 10);
    EXPECT_EQ(b.top, lib.originY - 10);
    EXPECT_EQ(b.bottom, lib.originY + 10);
}

TEST_F(Render, TwoLineTextStandsOnTheAnchorAndContinuesBelowIt) {
    int32_t h = 0, w = 0;
    TELKA_text_size(24, &h, &w, "A");
    ASSERT_GT(h, 0);
    TELKA_text(0, 0, 0, 24, "A");
    const Box a = ink_box();
    ASSERT_GT(a.count, 0);
    EXPECT_GE(a.top, lib.originY - h);
    EXPECT_LT(a.bottom, lib.originY);
    EXPECT_GE(a.left, lib.originX);
    const std::vector<COLORREF> alone = snapshot();

    fill_buffer(WHITE_BRUSH);
    TELKA_text(0, 0, 0, 24, "A\nB");
    const Box ab = ink_box();
    EXPECT_GE(ab.top, lib.originY - h);
    EXPECT_LT(ab.bottom, lib.originY + h);
    EXPECT_GE(ab.left, lib.originX);
    // Above the anchor: exactly the lone A. Below it: B's ink.
    const std::vector<COLORREF> both = snapshot();
    int differ_above = 0, ink_below = 0;
    for (int y = 0; y < 540; ++y)
        for (int x = 0; x < 601; ++x) {
            const size_t i = static_cast<size_t>(y) * 601 + x;
            if (y < lib.originY) differ_above += both[i] != alone[i];
            else ink_below += both[i] != kWhite;
        }
    EXPECT_EQ(differ_above, 0);
    EXPECT_GT(ink_below, 0);
}

TEST_F(Render, EmptyTextDrawsNothingButMarksTheBufferDirty) {
    TELKA_flush();
    ASSERT_EQ(lib.backBufferDirty, 0);
    const std::vector<COLORREF> before = snapshot();
    TELKA_text(0, 0, 0, 24, "");
    EXPECT_EQ(lib.backBufferDirty, 1);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(Render, UnknownRecordKindsDrawNothingButMarkTheBufferDirty) {
    for (int kind : {6, -1, 1000}) {
        SCOPED_TRACE(kind);
        TELKA_flush();
        ASSERT_EQ(lib.backBufferDirty, 0);
        const std::vector<COLORREF> before = snapshot();
        DrawRecord rec{};
        rec.kind = kind;
        rec.color = 4;
        rec.x1 = -5;
        rec.y1 = 5;
        rec.x2 = 5;
        rec.y2 = -5;
        render_record(&rec);
        EXPECT_EQ(lib.backBufferDirty, 1);
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(Render, EveryRecordLeavesTheDeviceContextAsItWas) {
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    HFONT font = CreateFontA(-9, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Other");
    HGDIOBJ oldPen = SelectObject(lib.memDC, pen);
    HGDIOBJ oldBrush = SelectObject(lib.memDC, brush);
    HGDIOBJ oldFont = SelectObject(lib.memDC, font);

    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 6);
    std::memcpy(GlobalLock(text), "ab\ncd", 6);
    GlobalUnlock(text);

    for (int mode : {OPAQUE, TRANSPARENT}) {
        SetBkMode(lib.memDC, mode);
        for (int kind = -1; kind <= 6; ++kind) {
            for (int width : {0, 2}) {
                SCOPED_TRACE(::testing::Message() << "kind " << kind << " width " << width << " mode " << mode);
                DrawRecord rec{};
                rec.kind = kind;
                rec.color = 5;
                rec.width = kind == DRAW_LINE && width == 0 ? 1 : width;
                rec.x1 = -20;
                rec.y1 = 20;
                rec.x2 = kind == DRAW_TEXT ? 12 : 20;
                rec.y2 = kind == DRAW_TEXT ? reinterpret_cast<INT_PTR>(text) : -20;
                rec.x3 = 0;
                rec.y3 = 30;
                render_record(&rec);
                EXPECT_EQ(GetCurrentObject(lib.memDC, OBJ_PEN), static_cast<HGDIOBJ>(pen));
                EXPECT_EQ(GetCurrentObject(lib.memDC, OBJ_BRUSH), static_cast<HGDIOBJ>(brush));
                EXPECT_EQ(GetCurrentObject(lib.memDC, OBJ_FONT), static_cast<HGDIOBJ>(font));
                EXPECT_EQ(GetCurrentObject(lib.memDC, OBJ_BITMAP), static_cast<HGDIOBJ>(lib.backBitmap));
                EXPECT_EQ(GetBkMode(lib.memDC), mode);
            }
        }
    }
    GlobalFree(text);
    // The same through the public calls, which also measure and clear.
    int32_t h = 0, w = 0;
    TELKA_text_size(12, &h, &w, "x");
    TELKA_clear();
    TELKA_textf(1, 0, 0, 12, "%d", 5);
    EXPECT_EQ(GetCurrentObject(lib.memDC, OBJ_PEN), static_cast<HGDIOBJ>(pen));
    EXPECT_EQ(GetCurrentObject(lib.memDC, OBJ_BRUSH), static_cast<HGDIOBJ>(brush));
    EXPECT_EQ(GetCurrentObject(lib.memDC, OBJ_FONT), static_cast<HGDIOBJ>(font));

    SelectObject(lib.memDC, oldPen);
    SelectObject(lib.memDC, oldBrush);
    SelectObject(lib.memDC, oldFont);
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteObject(font);
}

TEST_F(Render, ClearLeavesABlackEdgeAroundWhite) {
    fill_buffer(GRAY_BRUSH);
    EXPECT_EQ(TELKA_clear(), 1);
    EXPECT_EQ(lib.backBufferDirty, 1);
    int wrong = 0;
    for (int y = 0; y < 540; ++y)
        for (int x = 0; x < 601; ++x) {
            const bool edge = x == 0 || x == 600 || y == 0 || y == 539;
            wrong += device_pixel(x, y) != (edge ? kBlack : kWhite);
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(Render, SecondFlushWithoutDrawingCopiesNothing) {
    settle();
    ASSERT_EQ(lib.backBufferDirty, 0);
    ASSERT_EQ(client_pixel(lib.originX, lib.originY), kWhite);

    TELKA_pixel(4, 0, 0);
    EXPECT_EQ(client_pixel(lib.originX, lib.originY), kWhite);  // drawing goes to the buffer only
    EXPECT_EQ(TELKA_flush(), 1);
    EXPECT_EQ(lib.backBufferDirty, 0);
    EXPECT_EQ(client_pixel(lib.originX, lib.originY), kBlue);

    // Drawn behind the library's back: the buffer is not dirty, so no copy.
    SetPixel(lib.memDC, lib.originX + 10, lib.originY, kRed);
    EXPECT_EQ(TELKA_flush(), 1);
    EXPECT_EQ(client_pixel(lib.originX + 10, lib.originY), kWhite);

    TELKA_pixel(2, 20, 0);
    TELKA_flush();
    EXPECT_EQ(client_pixel(lib.originX + 10, lib.originY), kRed);
    EXPECT_EQ(client_pixel(lib.originX + 20, lib.originY), kRed);
}

}  // namespace
