// BitBlt (SRCCOPY between any two DCs, with Win32's monochrome conversions;
// into a window, only the pixels that differ are written and reported) and
// ScrollDC (an overlap-safe move of a DC's own pixels). Both clip against the
// source surface and the destination clip in 64-bit coordinates before
// touching a pixel. Relies on raster.h and target.h.
#include "gdi/raster.h"

#include <algorithm>
#include <cstring>

namespace standin {

namespace {

struct Rect64 {
    int64_t l = 0, t = 0, r = 0, b = 0;
    bool empty() const { return l >= r || t >= b; }
};

Rect64 from_rect(const RECT &rc) { return Rect64{rc.left, rc.top, rc.right, rc.bottom}; }
Rect64 clip_of(const Target &t) { return Rect64{t.cl, t.ct, t.cr, t.cb}; }
Rect64 intersect(const Rect64 &a, const Rect64 &b) {
    return Rect64{std::max(a.l, b.l), std::max(a.t, b.t), std::min(a.r, b.r), std::min(a.b, b.b)};
}
Rect64 offset(const Rect64 &a, int64_t dx, int64_t dy) { return Rect64{a.l + dx, a.t + dy, a.r + dx, a.b + dy}; }

// Copies d (destination device coordinates) from the pixels at d - (ox, oy) of
// `src`. Rows run in the order that keeps an overlapping move intact.
void copy_rect(const Target &dst, const Target &src, const Rect64 &d, int64_t ox, int64_t oy,
               uint32_t (*convert)(uint32_t, const void *), const void *ctx) {
    const size_t n = static_cast<size_t>(d.r - d.l);
    const bool bottom_up = dst.pixels == src.pixels && oy > 0;
    for (int64_t k = 0; k < d.b - d.t; ++k) {
        const int64_t y = bottom_up ? d.b - 1 - k : d.t + k;
        uint32_t *out = dst.row(y) + d.l;
        const uint32_t *in = src.row(y - oy) + (d.l - ox);
        if (!convert) {
            std::memmove(out, in, n * sizeof(uint32_t));
        } else {
            for (size_t i = 0; i < n; ++i) out[i] = convert(in[i], ctx);
        }
    }
}

// copy_rect into a window surface from another surface, writing only what
// differs from what the window holds and reporting exactly that: runs of
// changed rows become one rectangle each, as wide as their changed spans. A
// frame redrawn whole but changed in a few places is then presented as those
// few places, and when the copy repeats the last one, only the columns of
// each row that the bitmap changed since are compared.
void copy_changed(const Target &dst, const Target &src, const Rect64 &d, int64_t ox, int64_t oy) {
    target_copied(dst);
    // The same copy as last time onto a surface nothing else touched since:
    // only the spans the bitmap changed meanwhile can differ.
    BitmapPixels::Sync sync{dst.pixels, ox + dst.ox - src.ox, oy + dst.oy - src.oy, d.l - ox + src.ox,
                            d.t - oy + src.oy, d.r - ox + src.ox, d.b - oy + src.oy, dst.prev_version};
    const bool known = src.store && dst.version != 0 && src.store->sync() == sync;
    Rect64 run;  // changed rows so far that the next changed row extends
    for (int64_t y = d.t; y < d.b; ++y) {
        int64_t cl = d.l, cr = d.r;  // the columns to compare
        if (known) {
            const BitmapPixels::Span s = src.store->row_span(y - oy + src.oy);
            cl = std::max<int64_t>(cl, s.l + ox - src.ox);
            cr = std::min<int64_t>(cr, s.r + ox - src.ox);
        }
        uint32_t *out = dst.row(y) + cl;
        const uint32_t *in = src.row(y - oy) + (cl - ox);
        size_t a = 0, b = 0;
        if (cl >= cr || !differing_span(out, in, static_cast<size_t>(cr - cl), &a, &b)) {
            if (!run.empty()) target_changed(dst, run.l, run.t, run.r, run.b);
            run = Rect64{};
            continue;
        }
        std::memcpy(out + a, in + a, (b - a) * sizeof(uint32_t));
        const int64_t l = cl + static_cast<int64_t>(a), r = cl + static_cast<int64_t>(b);
        if (run.empty()) {
            run = Rect64{l, y, r, y + 1};
        } else {
            run = Rect64{std::min(run.l, l), run.t, std::max(run.r, r), y + 1};
        }
    }
    if (!run.empty()) target_changed(dst, run.l, run.t, run.r, run.b);
    if (src.store && dst.version != 0) {
        sync.version = dst.version;
        src.store->synced(sync);
    }
}

// Monochrome -> colour: white takes the destination's background colour, black its text colour.
struct MonoToColour {
    uint32_t white, black;
};
uint32_t mono_to_colour(uint32_t p, const void *ctx) {
    const auto *c = static_cast<const MonoToColour *>(ctx);
    return (p & 0x00FFFFFFu) ? c->white : c->black;
}
// Colour -> monochrome: the source's background colour becomes white, everything else black.
uint32_t colour_to_mono(uint32_t p, const void *ctx) {
    return (p & 0x00FFFFFFu) == *static_cast<const uint32_t *>(ctx) ? 0x00FFFFFFu : 0u;
}

// Bounding box of a \ b.
Rect64 difference_bounds(const Rect64 &a, const Rect64 &b) {
    const Rect64 overlap = intersect(a, b);
    if (a.empty()) return Rect64{};
    if (overlap.empty()) return a;
    Rect64 parts[4];
    size_t n = 0;
    if (overlap.t > a.t) parts[n++] = Rect64{a.l, a.t, a.r, overlap.t};
    if (overlap.b < a.b) parts[n++] = Rect64{a.l, overlap.b, a.r, a.b};
    if (overlap.l > a.l) parts[n++] = Rect64{a.l, overlap.t, overlap.l, overlap.b};
    if (overlap.r < a.r) parts[n++] = Rect64{overlap.r, overlap.t, a.r, overlap.b};
    if (n == 0) return Rect64{};
    Rect64 box = parts[0];
    for (size_t i = 1; i < n; ++i) {
        box.l = std::min(box.l, parts[i].l);
        box.t = std::min(box.t, parts[i].t);
        box.r = std::max(box.r, parts[i].r);
        box.b = std::max(box.b, parts[i].b);
    }
    return box;
}

}  // namespace

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    Dc *dst_dc = gdi_dc(hdc), *src_dc = gdi_dc(hdcSrc);
    if (!dst_dc || !src_dc || rop != SRCCOPY) return FALSE;
    Target dst, src;
    if (!dc_target(dst_dc, &dst) || !dc_surface_target(src_dc, &src)) return TRUE;
    int64_t X = x, Y = y, W = cx, H = cy, SX = x1, SY = y1;
    // A negative extent mirrors source and destination alike: the same pixels land in the same places.
    if (W < 0) X += W, SX += W, W = -W;
    if (H < 0) Y += H, SY += H, H = -H;
    const int64_t ox = X - SX, oy = Y - SY;  // destination = source + offset
    Rect64 d = intersect(Rect64{X, Y, X + W, Y + H}, clip_of(dst));
    d = intersect(d, offset(clip_of(src), ox, oy));
    if (d.empty()) return TRUE;

    if (dst.mono == src.mono && dst.pixels != src.pixels && target_takes_changes(dst)) {
        copy_changed(dst, src, d, ox, oy);
        return TRUE;
    }
    if (dst.mono == src.mono) {
        copy_rect(dst, src, d, ox, oy, nullptr, nullptr);
    } else if (src.mono) {
        const MonoToColour c{dst.pixel(dst_dc->bk_color), dst.pixel(dst_dc->text_color)};
        copy_rect(dst, src, d, ox, oy, mono_to_colour, &c);
    } else {
        const uint32_t bk = colorref_to_pixel(src_dc->bk_color);
        copy_rect(dst, src, d, ox, oy, colour_to_mono, &bk);
    }
    if (dst.explain) [[unlikely]]
        note_written(dst, d.l, d.t, d.r, d.b);
    target_touched(dst, d.l, d.t, d.r, d.b);
    return TRUE;
}

BOOL WINAPI ScrollDC(HDC hDC, int dx, int dy, const RECT *lprcScroll, const RECT *lprcClip, HRGN hrgnUpdate,
                     LPRECT lprcUpdate) {
    (void)hrgnUpdate;  // the library never asks for the update region
    Dc *dc = gdi_dc(hDC);
    if (!dc) return FALSE;
    Target area, t;
    if (!dc_surface_target(dc, &area) || !dc_target(dc, &t)) {
        if (lprcUpdate) *lprcUpdate = RECT{0, 0, 0, 0};
        return TRUE;
    }
    const Rect64 all = clip_of(area);
    const Rect64 scroll = lprcScroll ? from_rect(*lprcScroll) : all;
    const Rect64 clip = lprcClip ? from_rect(*lprcClip) : all;
    // Bits that exist (scroll rectangle on the surface), moved, and landing inside every clip.
    const Rect64 moved = intersect(offset(intersect(scroll, all), dx, dy), clip);
    const Rect64 d = intersect(moved, clip_of(t));
    if (!d.empty()) {
        copy_rect(t, t, d, dx, dy, nullptr, nullptr);
        if (t.explain) [[unlikely]]
            note_written(t, d.l, d.t, d.r, d.b);
        target_touched(t, d.l, d.t, d.r, d.b);
    }
    if (lprcUpdate) {
        // What the scroll uncovered keeps its old pixels; report its bounds.
        const Rect64 u = difference_bounds(intersect(intersect(scroll, clip), all), moved);
        *lprcUpdate = u.empty() ? RECT{0, 0, 0, 0}
                                : RECT{saturate32(u.l), saturate32(u.t), saturate32(u.r), saturate32(u.b)};
    }
    return TRUE;
}

}  // extern "C"
