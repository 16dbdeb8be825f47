// Which drawing call wrote each pixel: while explaining, every 32-bit bitmap
// drawn on keeps a plane of writers beside its pixels, and every row span
// drawn is logged. The rasterizer reports what it draws where it draws it
// (target.h's note_written); off, nothing but a flag test remains.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin {

// Explaining on: every 32-bit bitmap drawn on keeps a plane of writers beside
// its pixels (one uint32 per pixel, 0 at first). Fills and the plane's
// rectangles are still recorded, and written whenever the pixels or the plane
// are read, so a reader sees each call's result right after the call. Off (the
// default): planes are dropped and drawing costs what it cost before.
void set_explaining(bool on);
bool explaining();
// The writer given to every pixel drawn from now on while explaining (0: none).
void set_pixel_writer(uint32_t writer);
// One row span drawn while explaining: [x0, x1) of row y of `surface` (an
// opaque identity of the bitmap's pixel store).
struct WrittenSpan {
    const void *surface;
    int32_t y, x0, x1;
};
// Moves the spans drawn since the last call into *out (cleared first).
void take_written_spans(std::vector<WrittenSpan> *out);
// A live bitmap's pixels (settled) and writer plane; false when `surface` is
// not a live bitmap with a plane. The view holds until the next drawing call:
// ask again after it.
struct WriterView {
    const uint32_t *pixels;
    const uint32_t *writers;
    int width, height;
    ptrdiff_t stride;
};
bool surface_writers(const void *surface, WriterView *out);

// ---- for the bitmap store and the rasterizer ----

class BitmapPixels;
// The writer set_pixel_writer gave.
uint32_t pixel_writer();
// A store's plane came into being or went away: only registered stores are
// found by surface_writers, so a deleted bitmap is never read.
void writer_plane_made(const BitmapPixels *store);
void writer_plane_gone(const BitmapPixels *store);
// Logs the rows [top, b) of [l, r) of `surface`, a span each; a row that
// continues the last span joins it.
void log_written_rows(const void *surface, int32_t l, int32_t top, int32_t r, int32_t b);

}  // namespace standin
