// Shared internals of the rasterizer: how a DC's pen and brush paint, row
// spans, the one-pixel line walk and the capsule of a wide pen segment.
// Everything works in 64-bit device coordinates and ends in target.h's
// clipped fills, so no int32 argument can overflow or reach outside a surface.
#pragma once

#include "gdi/target.h"

#include <cstddef>
#include <cstdint>

namespace standin {

// Half-open run [l, r) of pixels on one row.
struct Span {
    int64_t l = 0;
    int64_t r = 0;
    bool empty() const { return l >= r; }
};

// The selected pen as the rasterizer uses it.
struct Stroke {
    bool on = false;            // false for PS_NULL: nothing is outlined
    int64_t width = 1;          // device pixels; 1 for cosmetic pens (width 0 or 1)
    bool inside_frame = false;  // PS_INSIDEFRAME wider than one pixel
    uint32_t px = 0;            // pixel value on the target
    bool thin() const { return width <= 1; }
};

// The selected brush as the rasterizer uses it.
struct Fill {
    bool on = false;  // false for the hollow brush
    uint32_t px = 0;
};

Stroke dc_stroke(const Dc *dc, const Target &t);
Fill brush_fill(const Brush *b, const Target &t);

// Looks up hdc and what it draws on. False when hdc is not a live DC; when it
// is a DC with nothing to draw on, true with an empty target. `keep_fills` as
// for dc_target: only for primitives that may record their fill.
bool begin_draw(HDC hdc, Dc **dc, Target *t, bool keep_fills = false);

// Sorts spans by start and merges overlapping or touching ones; returns the count.
size_t merge_spans(Span *s, size_t n);

// Paints row y: the `pen` spans (sorted, disjoint) in pen_px and the parts of
// `brush` they leave uncovered in brush_px, so every pixel is written once.
void paint_row(const Target &t, int64_t y, const Span *pen, size_t n, uint32_t pen_px, Span brush,
               const Fill &fill);

// One-pixel line from (x0, y0) up to but not including (x1, y1). Walks only
// the visible part: the first visible step is computed, not searched for.
void thin_line(const Target &t, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t px);

// The pixels whose centres lie within width / 2 of a segment: a wide pen's
// stroke with round caps. Kept in doubled coordinates so that pixel centres
// and the half-pixel offset of even widths are integers.
struct Capsule {
    int64_t ax = 0, ay = 0, bx = 0, by = 0;  // segment ends, doubled device coordinates
    int64_t r = 0;                           // radius in doubled units (= pen width)
    int64_t top = 0, bottom = 0;             // pixel rows it can reach, inclusive
    bool small = false;                      // every coordinate below 2^28: exact 64-bit rows
    int64_t l2 = 0;                          // small only: squared length, doubled units
    int64_t band = 0;                        // small only: floor(r * length), the largest |cross| inside
};
Capsule make_capsule(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t width);
// The capsule's pixels on row y within columns [cl, cr); false when none.
bool capsule_row(const Capsule &c, int64_t y, int64_t cl, int64_t cr, Span *out);
// Exact: is the doubled point (X, Y) within c.r of the segment? X and Y are
// visible pixel centres, so below 2^29 in magnitude.
bool capsule_contains(const Capsule &c, int64_t X, int64_t Y);

}  // namespace standin
