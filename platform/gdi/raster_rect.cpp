// Rectangle: outline with the pen, inside with the brush, right and bottom
// edge excluded. A wide pen is the union of the capsules of the four edges,
// which rounds the outer corners; each visible row's spans come straight from
// that geometry; everything else is solid rectangles, which a bitmap records
// (bitmap_pixels.h). Relies on raster.h, raster_math.h and target.h.
#include "gdi/raster.h"
#include "gdi/raster_math.h"

#include <algorithm>

namespace standin {

namespace {

// The pen path of a wide outline: the rectangle through the centres of the
// one-pixel outline's pixels, moved half a pixel up and left for even widths
// as for lines (the extra pixel row falls above and left of each edge), in
// doubled coordinates.
struct RectPath {
    int64_t x0, y0, x1, y1;  // doubled path corners
    int64_t r;               // pen width = radius in doubled units
};

// Doubled X interval [lo, hi] to the pixels whose centres 2x + 1 lie in it.
Span doubled_to_pixels(int64_t lo, int64_t hi) { return Span{ceil_div(lo - 1, 2), floor_div(hi - 1, 2) + 1}; }

// The outline's spans on row y (at most two), sorted and disjoint.
size_t outline_row(const RectPath &p, int64_t y, Span out[2]) {
    const int64_t Y = 2 * y + 1;
    if (Y >= p.y0 && Y <= p.y1) {
        if (Y - p.y0 <= p.r || p.y1 - Y <= p.r) {
            out[0] = doubled_to_pixels(p.x0 - p.r, p.x1 + p.r);
            return 1;
        }
        out[0] = doubled_to_pixels(p.x0 - p.r, p.x0 + p.r);
        out[1] = doubled_to_pixels(p.x1 - p.r, p.x1 + p.r);
        if (out[0].r >= out[1].l) {
            out[0].r = out[1].r;
            return 1;
        }
        return 2;
    }
    const int64_t d = Y < p.y0 ? p.y0 - Y : Y - p.y1;
    if (d > p.r) return 0;
    // Beyond a corner the row meets the round caps of the top or bottom edge.
    const int64_t h = static_cast<int64_t>(isqrt(static_cast<uint64_t>(p.r) * static_cast<uint64_t>(p.r) -
                                                 static_cast<uint64_t>(d) * static_cast<uint64_t>(d)));
    out[0] = doubled_to_pixels(p.x0 - h, p.x1 + h);
    return 1;
}

// A one-pixel outline and its inside are solid rectangles: recorded on a
// bitmap (defer_fill), the outline after the inside so that it shows.
void thin_rectangle(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b, const Stroke &pen,
                    const Fill &fill) {
    if (fill.on && fill.px == pen.px) {
        defer_fill(t, l, top, r, b, pen.px);
        return;
    }
    if (fill.on) defer_fill(t, l, top, r, b, fill.px);
    defer_fill(t, l, top, r, top + 1, pen.px);
    if (b - top > 1) defer_fill(t, l, b - 1, r, b, pen.px);
    defer_fill(t, l, top + 1, l + 1, b - 1, pen.px);
    defer_fill(t, r - 1, top + 1, r, b - 1, pen.px);
}

void wide_rectangle(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b, const Stroke &pen,
                    const Fill &fill) {
    const int64_t p = pen.width & 1;
    const RectPath path{2 * l + p, 2 * top + p, 2 * (r - 1) + p, 2 * (b - 1) + p, pen.width};
    const int64_t y0 = std::max(ceil_div(path.y0 - path.r - 1, 2), t.ct);
    const int64_t y1 = std::min(floor_div(path.y1 + path.r - 1, 2) + 1, t.cb);
    const Span inside{l + 1, r - 1};
    Span spans[2];
    for (int64_t y = y0; y < y1; ++y) {
        const size_t n = outline_row(path, y, spans);
        const bool brush_row = y > top && y < b - 1;
        paint_row(t, y, spans, n, pen.px, brush_row ? inside : Span{}, fill);
    }
}

}  // namespace

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    Dc *dc;
    Target t;
    if (!begin_draw(hdc, &dc, &t, true)) return FALSE;
    int64_t l = std::min(left, right), r = std::max(left, right);
    int64_t tp = std::min(top, bottom), b = std::max(top, bottom);
    if (l == r || tp == b || t.empty()) return TRUE;
    Stroke pen = dc_stroke(dc, t);
    const Fill fill = brush_fill(dc->brush, t);
    // A one-pixel box with a one-pixel pen draws nothing, as on Windows.
    if (pen.on && pen.thin() && r - l == 1 && b - tp == 1) return TRUE;
    if (!pen.on) {
        // Without a pen the filled area is one pixel smaller to the right and below.
        if (fill.on && defer_fill(t, l, tp, r - 1, b - 1, fill.px)) target_filled(t, l, tp, r - 1, b - 1);
        return TRUE;
    }
    if (pen.inside_frame) {
        // Shrink the figure so the whole pen stays inside the box: a wide
        // outline reaches w/2 beyond the box above and left, (w-1)/2 below and right.
        const int64_t before = pen.width / 2, after = (pen.width - 1) / 2;
        if (r - l <= before + after || b - tp <= before + after) {
            if (defer_fill(t, l, tp, r, b, pen.px)) target_filled(t, l, tp, r, b);
            return TRUE;
        }
        l += before, tp += before, r -= after, b -= after;
    }
    if (pen.thin()) {
        thin_rectangle(t, l, tp, r, b, pen, fill);
        target_filled(t, l, tp, r, b);
    } else {
        target_settle(t);
        wide_rectangle(t, l, tp, r, b, pen, fill);
        const int64_t grow = pen.width / 2 + 1;
        target_touched(t, l - grow, tp - grow, r + grow, b + grow);
    }
    return TRUE;
}

}  // extern "C"
