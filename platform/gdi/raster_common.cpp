// Pen and brush resolution and row painting shared by every shape of the
// rasterizer. Relies on target.h for the clipped fills.
#include "gdi/raster.h"

#include <algorithm>

namespace standin {

Stroke dc_stroke(const Dc *dc, const Target &t) {
    Stroke s;
    const Pen *pen = dc ? dc->pen : nullptr;
    if (!pen || pen->style == PS_NULL) return s;
    s.on = true;
    s.width = pen->width > 1 ? pen->width : 1;
    s.inside_frame = pen->style == PS_INSIDEFRAME && s.width > 1;
    s.px = t.pixel(pen->color);
    return s;
}

Fill brush_fill(const Brush *b, const Target &t) {
    Fill f;
    if (!b || b->hollow) return f;
    f.on = true;
    f.px = t.pixel(b->color);
    return f;
}

bool begin_draw(HDC hdc, Dc **dc, Target *t, bool keep_fills) {
    *dc = gdi_dc(hdc);
    if (!*dc) {
        *t = Target{};
        return false;
    }
    dc_target(*dc, t, keep_fills);
    return true;
}

size_t merge_spans(Span *s, size_t n) {
    std::sort(s, s + n, [](const Span &a, const Span &b) { return a.l < b.l; });
    size_t out = 0;
    for (size_t i = 0; i < n; ++i) {
        if (s[i].empty()) continue;
        if (out > 0 && s[i].l <= s[out - 1].r) {
            s[out - 1].r = std::max(s[out - 1].r, s[i].r);
        } else {
            s[out++] = s[i];
        }
    }
    return out;
}

void paint_row(const Target &t, int64_t y, const Span *pen, size_t n, uint32_t pen_px, Span brush,
               const Fill &fill) {
    if (fill.on && !brush.empty()) {
        int64_t x = brush.l;
        for (size_t i = 0; i < n && x < brush.r; ++i) {
            if (pen[i].r <= x) continue;
            if (pen[i].l > x) fill_span(t, y, x, std::min(pen[i].l, brush.r), fill.px);
            x = std::max(x, pen[i].r);
        }
        if (x < brush.r) fill_span(t, y, x, brush.r, fill.px);
    }
    for (size_t i = 0; i < n; ++i) fill_span(t, y, pen[i].l, pen[i].r, pen_px);
}

}  // namespace standin
