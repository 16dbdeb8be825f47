// The drawing target of a device context: which pixels a DC writes and the
// one clipping rectangle every primitive goes through. Coordinates handed to
// these helpers are device coordinates as 64-bit integers, so callers never
// overflow int32 before clipping; what lies outside the clip costs nothing.
#pragma once

#include "gdi/gdi_objects.h"

#include <cstddef>
#include <cstdint>

namespace standin {

struct Target {
    uint32_t *pixels = nullptr;  // surface origin (top-left pixel)
    int width = 0;               // surface size
    int height = 0;
    ptrdiff_t stride = 0;        // pixels per row
    bool mono = false;           // 1-bit bitmap: only black and white are stored
    int ox = 0;                  // device (0,0) in surface coordinates
    int oy = 0;
    // Clip in device coordinates, right and bottom exclusive; always inside the surface.
    int64_t cl = 0, ct = 0, cr = 0, cb = 0;
    HWND window = nullptr;       // window DCs: the window whose surface this is
    // 32-bit bitmaps: the store that can record opaque fills (bitmap_pixels.h).
    BitmapPixels *store = nullptr;
    // Window surfaces: a number unique to the surface's state since this target
    // was made, and the one before (0: not kept). Equal numbers: nothing else
    // touched the surface in between.
    uint64_t version = 0;
    uint64_t prev_version = 0;
    // Explaining (pixel_writers.h), 32-bit bitmaps only: `store` keeps a
    // writer plane, and every pixel drawn gets `writer` in it.
    bool explain = false;
    uint32_t writer = 0;

    bool empty() const { return cl >= cr || ct >= cb; }
    uint32_t *row(int64_t y) const { return pixels + (y + oy) * stride + ox; }
    // Device pixel value for a COLORREF on this surface.
    uint32_t pixel(COLORREF c) const;
};

// Pixel value 0x00RRGGBB from COLORREF 0x00BBGGRR, and back.
inline uint32_t colorref_to_pixel(COLORREF c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF pixel_to_colorref(uint32_t p) {
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}
// Nearest of black and white, as a monochrome surface stores a colour.
uint32_t mono_pixel(COLORREF c);

// Resolves what `dc` draws on. False when there is nothing to draw on (a window
// without a surface); the target is then empty. The fills a bitmap still
// records are written first, unless `keep_fills` (for code that records fills
// itself and calls target_settle before it touches a pixel otherwise).
bool dc_target(Dc *dc, Target *t, bool keep_fills = false);

// Like dc_target but without the DC's paint clip: the whole selected bitmap or
// client area. What a blit may read from, and ScrollDC's default area.
bool dc_surface_target(Dc *dc, Target *t, bool keep_fills = false);

// Writes the fills the target's bitmap still records.
inline void target_settle(const Target &t) {
    if (t.store) t.store->settle();
}

// After drawing on a window surface: tells the windowing code what changed.
void target_touched(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b);
// target_touched after defer_fill: a bitmap's record tells itself which rows
// its fills change when it writes them.
void target_filled(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b);
// Whether the windowing code takes exact changes of this target (target_changed).
bool target_takes_changes(const Target &t);
// A rectangle whose pixels a copy found different: reported as it is, not
// merged into the bounding box of drawing.
void target_changed(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b);
// A copy into this target happened, changed or not.
void target_copied(const Target &t);

// Hooks through which the windowing code lends window surfaces to window DCs
// without the GDI code depending on it.
struct WindowSurfaceHooks {
    // Fills pixels/size/stride/origin and the client clip (device coordinates).
    bool (*surface)(HWND hwnd, Target *t) = nullptr;
    // Marks a device rectangle of the window's client area as changed.
    void (*touched)(HWND hwnd, int64_t l, int64_t t, int64_t r, int64_t b) = nullptr;
    // Optional: marks a device rectangle that a copy found different, pixel by
    // pixel. Without it a copy reports its whole rectangle through touched.
    void (*changed)(HWND hwnd, int64_t l, int64_t t, int64_t r, int64_t b) = nullptr;
    // With changed: a copy reached the window, whether or not a pixel differed
    // (the window has a frame to show, perhaps one like the last).
    void (*copied)(HWND hwnd) = nullptr;
};
void set_window_surface_hooks(const WindowSurfaceHooks &hooks);

// ---- the one place that clips ----

// Fills n 32-bit pixels with vector stores (the C library for long runs).
void fill_pixels(uint32_t *p, size_t n, uint32_t v);
// The columns [*a, *b) of a row of n pixels that differ between `have` and
// `want`; false when none do.
bool differing_span(const uint32_t *have, const uint32_t *want, size_t n, size_t *a, size_t *b);

// Clamps a 64-bit value into int32 range (for callers that compute in 64 bits).
inline int32_t saturate32(int64_t v) {
    return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

// Explaining: [x0, x1) x [top, b) (device coordinates, inside the clip) was
// just drawn. Gives it the target's writer and logs its rows.
void note_written(const Target &t, int64_t x0, int64_t top, int64_t x1, int64_t b);

// Fills [l, r) x [t, b) clipped; returns false when nothing was visible.
bool fill_rect(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b, uint32_t px);
// The same fill, recorded instead of written where the target can record
// (a 32-bit bitmap); elsewhere written at once.
bool defer_fill(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b, uint32_t px);
// Fills the row span [x0, x1) of row y, clipped.
inline void fill_span(const Target &t, int64_t y, int64_t x0, int64_t x1, uint32_t px) {
    if (y < t.ct || y >= t.cb) return;
    if (x0 < t.cl) x0 = t.cl;
    if (x1 > t.cr) x1 = t.cr;
    if (x0 >= x1) return;
    fill_pixels(t.row(y) + x0, static_cast<size_t>(x1 - x0), px);
    if (t.explain) [[unlikely]]
        note_written(t, x0, y, x1, y + 1);
}
inline bool inside(const Target &t, int64_t x, int64_t y) {
    return x >= t.cl && x < t.cr && y >= t.ct && y < t.cb;
}
inline void put_pixel(const Target &t, int64_t x, int64_t y, uint32_t px) {
    if (!inside(t, x, y)) return;
    t.row(y)[x] = px;
    if (t.explain) [[unlikely]]
        note_written(t, x, y, x + 1, y + 1);
}

}  // namespace standin
