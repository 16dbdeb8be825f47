// SetPixel, GetPixel and FillRect: single pixels and brush-filled
// rectangles (recorded on bitmaps, see bitmap_pixels.h), with Win32's
// results. Relies on raster.h for DC resolution and target.h for clipping.
#include "gdi/raster.h"

using namespace standin;

extern "C" {

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
    Dc *dc;
    Target t;
    if (!begin_draw(hdc, &dc, &t) || !inside(t, x, y)) return CLR_INVALID;
    // The colour actually stored: black or white on a monochrome surface.
    const uint32_t px = t.pixel(color & 0x00FFFFFFu);
    put_pixel(t, x, y, px);
    target_touched(t, x, y, int64_t{x} + 1, int64_t{y} + 1);
    return pixel_to_colorref(px);
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    Dc *dc;
    Target t;
    if (!begin_draw(hdc, &dc, &t) || !inside(t, x, y)) return CLR_INVALID;
    return pixel_to_colorref(t.row(y)[x] & 0x00FFFFFFu);
}

int WINAPI FillRect(HDC hDC, const RECT *lprc, HBRUSH hbr) {
    Dc *dc;
    Target t;
    if (!begin_draw(hDC, &dc, &t, true) || !lprc) return 0;
    Brush *brush = gdi_brush(hbr);
    if (!brush) return 0;
    const Fill fill = brush_fill(brush, t);
    // FillRect does not reorder its corners: an inverted rectangle is empty.
    if (fill.on && defer_fill(t, lprc->left, lprc->top, lprc->right, lprc->bottom, fill.px))
        target_filled(t, lprc->left, lprc->top, lprc->right, lprc->bottom);
    return 1;
}

}  // extern "C"
