// TextOutA: places the cell by the DC's text alignment, fills it in OPAQUE
// mode and blends cached glyph coverage in the text colour (thresholded
// glyphs on 1-bit surfaces). Everything is clipped through target.h in 64-bit
// device coordinates, and glyphs outside the clip are never rendered.
#include "font_cache.h"
#include "gdi_objects.h"
#include "target.h"

#include <algorithm>

using namespace standin;

namespace {

// The union of what a call changed, reported to the windowing code once.
struct Touched {
    int64_t l = INT64_MAX, t = INT64_MAX, r = INT64_MIN, b = INT64_MIN;
    void add(int64_t l2, int64_t t2, int64_t r2, int64_t b2) {
        l = std::min(l, l2);
        t = std::min(t, t2);
        r = std::max(r, r2);
        b = std::max(b, b2);
    }
};

inline uint32_t blend(uint32_t fg, uint32_t bg, uint32_t a) {
    const uint32_t na = 255 - a;
    // Red and blue share one multiply; each product fits its 16-bit lane.
    uint32_t rb = (fg & 0xFF00FFu) * a + (bg & 0xFF00FFu) * na + 0x800080u;
    uint32_t g = (fg & 0x00FF00u) * a + (bg & 0x00FF00u) * na + 0x008000u;
    rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;  // divide by 255, rounded
    g = ((g + ((g >> 8) & 0x00FF00u)) >> 8) & 0x00FF00u;
    return rb | g;
}

// Draws a coverage bitmap whose top-left lands on device (gx, gy); returns
// false when none of it is inside the clip.
bool blit_glyph(const Target &t, const uint8_t *cov, const GlyphBox &box, int64_t gx, int64_t gy, uint32_t px,
                Touched *touched) {
    const int64_t x0 = std::max(gx, t.cl), x1 = std::min(gx + box.width, t.cr);
    const int64_t y0 = std::max(gy, t.ct), y1 = std::min(gy + box.rows, t.cb);
    if (x0 >= x1 || y0 >= y1) return false;
    const size_t n = static_cast<size_t>(x1 - x0);
    for (int64_t y = y0; y < y1; ++y) {
        const uint8_t *src = cov + (y - gy) * box.width + (x0 - gx);
        uint32_t *dst = t.row(y) + x0;
        if (t.mono) {
            // Monochrome coverage is already thresholded to 0 or 255.
            for (size_t i = 0; i < n; ++i)
                if (src[i]) dst[i] = px;
        } else {
            for (size_t i = 0; i < n; ++i) {
                const uint32_t a = src[i];
                if (a == 255) dst[i] = px;
                else if (a != 0) dst[i] = blend(px, dst[i], a);
            }
        }
    }
    touched->add(x0, y0, x1, y1);
    return true;
}

}  // namespace

extern "C" {

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    Dc *dc = gdi_dc(hdc);
    if (!dc || c < 0 || (!lpString && c > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (c == 0) return TRUE;
    FontInstance *fi = font_instance(dc->font);
    const TEXTMETRICA &tm = fi->tm;
    const size_t n = static_cast<size_t>(c);
    const int64_t width = text_width(fi, lpString, n);

    const bool update_cp = (dc->text_align & TA_UPDATECP) != 0;
    const int64_t ax = update_cp ? dc->pos.x : x;
    const int64_t ay = update_cp ? dc->pos.y : y;
    const UINT horizontal = dc->text_align & TA_CENTER;
    const UINT vertical = dc->text_align & TA_BASELINE;
    int64_t left = ax;
    if (horizontal == TA_CENTER) left -= width / 2;
    else if (horizontal == TA_RIGHT) left -= width;
    int64_t top = ay;
    if (vertical == TA_BASELINE) top -= tm.tmAscent;
    else if (vertical == TA_BOTTOM) top -= tm.tmHeight;
    if (update_cp) {
        if (horizontal == TA_LEFT) dc->pos.x = saturate32(ax + width);
        else if (horizontal == TA_RIGHT) dc->pos.x = saturate32(ax - width);
    }

    Target t;
    if (!dc_target(dc, &t) || t.empty()) return TRUE;  // nothing to draw on is not a failure
    Touched touched;
    if (dc->bk_mode == OPAQUE && fill_rect(t, left, top, left + width, top + tm.tmHeight, t.pixel(dc->bk_color)))
        touched.add(left, top, left + width, top + tm.tmHeight);

    // Ink stays within the cell's rows: a descender reaching a fraction of a
    // pixel below the rounded cell would otherwise smudge the next line.
    Target cell = t;
    cell.ct = std::max(t.ct, top);
    cell.cb = std::min(t.cb, top + tm.tmHeight);
    const uint32_t px = t.pixel(dc->text_color);
    // 1-bit glyphs are hinted differently and may stray a little from the
    // antialiased box that decides whether a glyph is visible.
    const int64_t margin = t.mono ? mono_margin(fi) : 0;
    const int64_t baseline = top + tm.tmAscent;
    int64_t pen = left;
    for (size_t i = 0; i < n && !cell.empty(); pen += glyph_advance(fi, static_cast<uint8_t>(lpString[i])), ++i) {
        const uint8_t b = static_cast<uint8_t>(lpString[i]);
        const GlyphBox &box = glyph_box(fi, b);
        if (box.width <= 0 || box.rows <= 0) continue;
        const int64_t gx = pen + box.left - margin, gy = baseline - box.top - margin;
        if (gx >= cell.cr || gx + box.width + 2 * margin <= cell.cl || gy >= cell.cb ||
            gy + box.rows + 2 * margin <= cell.ct)
            continue;
        GlyphBox drawn;
        const uint8_t *cov = glyph_coverage(fi, b, t.mono, &drawn);
        if (cov) blit_glyph(cell, cov, drawn, pen + drawn.left, baseline - drawn.top, px, &touched);
    }
    if (touched.l < touched.r) target_touched(t, touched.l, touched.t, touched.r, touched.b);
    return TRUE;
}

}  // extern "C"
