// A gallery scene of every primitive at several pen widths, compared with the
// reference image tests/platform/reference/primitives.png, and written as
// primitives.png into the working directory for a person to look at.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "image_compare.h"
#include "automation.h"
#include "raster_canvas.h"

namespace {

using raster_test::Canvas;

constexpr int kWidth = 360, kHeight = 280;

// Draws with a fresh pen and brush, as the library does for every shape.
template <class Draw>
void with(HDC dc, int pen_style, int pen_width, COLORREF pen, COLORREF brush, bool hollow, Draw draw) {
    HPEN p = CreatePen(pen_style, pen_width, pen);
    HBRUSH b = hollow ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(brush);
    HGDIOBJ op = SelectObject(dc, p), ob = SelectObject(dc, b);
    draw();
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(p);
    DeleteObject(b);
}

void draw_gallery(HDC dc) {
    const RECT all{0, 0, kWidth, kHeight};
    HBRUSH bg = CreateSolidBrush(RGB(250, 250, 240));
    FillRect(dc, &all, bg);
    DeleteObject(bg);

    // Row 1: line fans at widths 0, 1, 2, 3, 5 and 8.
    const int widths[] = {0, 1, 2, 3, 5, 8};
    for (int i = 0; i < 6; ++i) {
        const int cx = 30 + i * 58, cy = 40;
        with(dc, PS_SOLID, widths[i], RGB(20, 20, 160), 0, true, [&] {
            const POINT ends[] = {{22, 0}, {22, 11}, {18, 22}, {0, 24}, {-13, 20}, {-22, -9}, {-6, -24}, {15, -18}};
            for (const POINT &e : ends) {
                MoveToEx(dc, cx, cy, nullptr);
                LineTo(dc, cx + e.x, cy + e.y);
            }
        });
    }

    // Row 2: rectangles: widths 1, 2, 3, 5, 8, a NULL pen and a hollow brush.
    const int rect_widths[] = {1, 2, 3, 5, 8};
    for (int i = 0; i < 5; ++i) {
        const int x = 12 + i * 52;
        with(dc, PS_SOLID, rect_widths[i], RGB(170, 30, 30), RGB(250, 210, 80), false,
             [&] { Rectangle(dc, x, 80, x + 36, 112); });
    }
    with(dc, PS_NULL, 1, 0, RGB(60, 160, 60), false, [&] { Rectangle(dc, 275, 80, 311, 112); });
    with(dc, PS_SOLID, 3, RGB(170, 30, 30), 0, true, [&] { Rectangle(dc, 320, 80, 350, 112); });

    // Row 3: ellipses at the same widths, then filled circles of radius 0 to 6.
    for (int i = 0; i < 5; ++i) {
        const int x = 12 + i * 52;
        with(dc, PS_SOLID, rect_widths[i], RGB(30, 110, 30), RGB(160, 220, 250), false,
             [&] { Ellipse(dc, x, 128, x + 40, 156); });
    }
    for (int r = 0, x = 272; r <= 6; x += 2 * r + 3, ++r) {
        const int cx = x + r, cy = 142;
        with(dc, PS_SOLID, 0, RGB(120, 0, 120), RGB(120, 0, 120), false,
             [&] { Ellipse(dc, cx - r, cy - r, cx + r + 1, cy + r + 1); });
    }

    // Row 4: polygons: a star, a wide-pen triangle, a sliver, and degenerate shapes.
    with(dc, PS_SOLID, 1, RGB(0, 0, 0), RGB(240, 120, 40), false, [&] {
        const POINT star[] = {{30, 172}, {41, 207}, {12, 184}, {48, 184}, {19, 207}};
        Polygon(dc, star, 5);
    });
    with(dc, PS_SOLID, 6, RGB(40, 40, 200), RGB(200, 200, 255), false, [&] {
        const POINT tri[] = {{125, 176}, {170, 200}, {132, 208}};
        Polygon(dc, tri, 3);
    });
    with(dc, PS_NULL, 1, 0, RGB(90, 90, 90), false, [&] {
        const POINT sliver[] = {{185, 172}, {235, 180}, {186, 175}};
        Polygon(dc, sliver, 3);
    });
    with(dc, PS_SOLID, 1, RGB(0, 0, 0), RGB(255, 0, 0), false, [&] {
        Rectangle(dc, 190, 190, 191, 205);  // one column
        Rectangle(dc, 195, 190, 197, 205);  // two columns
        Ellipse(dc, 200, 190, 201, 191);    // one pixel: nothing, as on Windows
        Ellipse(dc, 205, 190, 235, 192);    // flat
        Ellipse(dc, 240, 172, 243, 205);    // tall and thin
    });

    // Pixels: a dotted diagonal.
    for (int i = 0; i < 30; ++i) SetPixel(dc, 255 + i * 3, 172 + i, RGB(200, 0, 0));

    // Row 5: BitBlt of a part of the scene, and a monochrome pattern blitted in colour.
    BitBlt(dc, 10, 222, 100, 50, dc, 5, 120, SRCCOPY);
    HDC mono_dc = CreateCompatibleDC(dc);
    HBITMAP mono = CreateCompatibleBitmap(mono_dc, 60, 50);  // a fresh memory DC gives a monochrome bitmap
    HGDIOBJ old = SelectObject(mono_dc, mono);
    const RECT mono_all{0, 0, 60, 50};
    FillRect(mono_dc, &mono_all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    with(mono_dc, PS_SOLID, 3, RGB(0, 0, 0), RGB(30, 30, 30), false, [&] { Ellipse(mono_dc, 5, 5, 55, 45); });
    with(mono_dc, PS_SOLID, 1, RGB(255, 255, 255), RGB(230, 230, 230), false, [&] { Rectangle(mono_dc, 20, 15, 40, 35); });
    SetBkColor(dc, RGB(255, 240, 200));
    SetTextColor(dc, RGB(0, 90, 160));
    BitBlt(dc, 120, 222, 60, 50, mono_dc, 0, 0, SRCCOPY);
    SelectObject(mono_dc, old);
    DeleteObject(mono);
    DeleteDC(mono_dc);

    // ScrollDC on a separate picture: stripes scrolled up, the stale strip left as it was.
    HDC scroll_dc = CreateCompatibleDC(dc);
    HBITMAP scroll_bm = static_cast<HBITMAP>(standin::gdi_register(standin::gdi_new_bitmap(60, 50, 32)));
    HGDIOBJ old_scroll = SelectObject(scroll_dc, scroll_bm);
    for (int band = 0; band < 5; ++band) {
        HBRUSH b = CreateSolidBrush(RGB(40 * band + 60, 200 - 30 * band, 120));
        const RECT r{0, band * 10, 60, band * 10 + 10};
        FillRect(scroll_dc, &r, b);
        DeleteObject(b);
    }
    ScrollDC(scroll_dc, 0, -15, nullptr, nullptr, nullptr, nullptr);
    BitBlt(dc, 190, 222, 60, 50, scroll_dc, 0, 0, SRCCOPY);
    SelectObject(scroll_dc, old_scroll);
    DeleteObject(scroll_bm);
    DeleteDC(scroll_dc);

    // A clipped rectangle and ellipse across the right and bottom edges.
    with(dc, PS_SOLID, 4, RGB(0, 120, 120), RGB(200, 255, 240), false, [&] {
        Rectangle(dc, 300, 240, 400, 320);
        Ellipse(dc, 265, 230, 330, 300);
    });
}

TEST(PrimitivesGallery, WritesPng) {
    Canvas c(kWidth, kHeight);
    draw_gallery(c.dc());
    const standin::Bitmap *bm = c.bitmap();
    ASSERT_TRUE(standin::write_png("primitives.png", bm->pixels.data(), kWidth, kHeight, kWidth));
    std::vector<uint32_t> back;
    int w = 0, h = 0;
    ASSERT_TRUE(standin::read_png("primitives.png", &back, &w, &h));
    EXPECT_EQ(w, kWidth);
    EXPECT_EQ(h, kHeight);
    EXPECT_EQ(back, bm->pixels);
}

TEST(PrimitivesGallery, MatchesReference) {
    Canvas c(kWidth, kHeight);
    draw_gallery(c.dc());
    const standin::Bitmap *bm = c.bitmap();
    const image_compare::Result r = image_compare::against_reference(
        STANDIN_REFERENCE_DIR "/primitives.png", bm->pixels.data(), kWidth, kHeight, kWidth, "primitives");
    EXPECT_TRUE(r.same()) << r.message;
}

}  // namespace
