// Target resolution, the clipped fills that every primitive ends in, and the
// hand-over of solid fills to a bitmap's record (bitmap_pixels.h).
#include "gdi/target.h"
#include "gdi/pixel_writers.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace standin {

static_assert(sizeof(wchar_t) == sizeof(uint32_t), "fill_pixels relies on a 32-bit wchar_t");

namespace {
WindowSurfaceHooks g_hooks;
}

void set_window_surface_hooks(const WindowSurfaceHooks &hooks) { g_hooks = hooks; }

uint32_t mono_pixel(COLORREF c) {
    // Nearest palette entry by squared distance, as a 1-bit colour table maps it.
    const int64_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    const int64_t to_black = r * r + g * g + b * b;
    const int64_t to_white = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return to_white < to_black ? 0x00FFFFFFu : 0u;
}

uint32_t Target::pixel(COLORREF c) const { return mono ? mono_pixel(c) : colorref_to_pixel(c); }

bool dc_target(Dc *dc, Target *t, bool keep_fills) {
    if (!dc_surface_target(dc, t, keep_fills)) return false;
    if (dc->has_clip) {
        t->cl = std::max<int64_t>(t->cl, dc->clip.left);
        t->ct = std::max<int64_t>(t->ct, dc->clip.top);
        t->cr = std::min<int64_t>(t->cr, dc->clip.right);
        t->cb = std::min<int64_t>(t->cb, dc->clip.bottom);
    }
    if (t->store && explaining()) [[unlikely]] {
        t->store->make_writers();
        t->explain = true;
        t->writer = pixel_writer();
    }
    return true;
}

bool dc_surface_target(Dc *dc, Target *t, bool keep_fills) {
    *t = Target{};
    if (!dc) return false;
    if (dc->kind == DcKind::Memory) {
        Bitmap *bm = dc->bitmap;
        if (!bm || bm->pixels.empty()) return false;
        if (!keep_fills) bm->pixels.settle();
        t->pixels = bm->pixels.unsettled();
        t->width = bm->width;
        t->height = bm->height;
        t->stride = bm->width;
        t->mono = bm->bpp == 1;
        if (!t->mono) t->store = &bm->pixels;
        t->cr = bm->width;
        t->cb = bm->height;
    } else {
        if (!g_hooks.surface || !g_hooks.surface(dc->hwnd, t)) {
            *t = Target{};
            return false;
        }
        t->window = dc->hwnd;
    }
    return true;
}

namespace {

void report(void (*hook)(HWND, int64_t, int64_t, int64_t, int64_t), const Target &t, int64_t l, int64_t top,
            int64_t r, int64_t b) {
    if (!t.window || !hook) return;
    l = std::max(l, t.cl);
    top = std::max(top, t.ct);
    r = std::min(r, t.cr);
    b = std::min(b, t.cb);
    if (l < r && top < b) hook(t.window, l, top, r, b);
}

}  // namespace

void target_touched(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b) {
    if (t.store)
        t.store->mark(std::max(l, t.cl) + t.ox, std::max(top, t.ct) + t.oy, std::min(r, t.cr) + t.ox,
                      std::min(b, t.cb) + t.oy);
    report(g_hooks.touched, t, l, top, r, b);
}

void target_filled(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b) {
    report(g_hooks.touched, t, l, top, r, b);
}

bool target_takes_changes(const Target &t) { return t.window && g_hooks.changed; }

void target_changed(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b) {
    report(g_hooks.changed, t, l, top, r, b);
}

void target_copied(const Target &t) {
    if (t.window && g_hooks.copied) g_hooks.copied(t.window);
}

namespace {

using Lanes = uint32_t __attribute__((vector_size(32)));

// Runs up to a few rows long: plain vector stores, because the C library's
// fill pays a start-up cost per call that dominates at a row of a few hundred
// pixels, and a frame fills hundreds of such rows.
#if defined(__x86_64__) && defined(__linux__)
__attribute__((target_clones("avx2", "default")))
#endif
void store_run(uint32_t *p, size_t n, uint32_t v) {
    const Lanes x = {v, v, v, v, v, v, v, v};
    constexpr size_t k = sizeof(Lanes) / sizeof(uint32_t);
    if (n < k) {
        for (size_t i = 0; i < n; ++i) p[i] = v;
        return;
    }
    size_t i = 0;
    for (; i + 4 * k <= n; i += 4 * k) {
        __builtin_memcpy(p + i, &x, sizeof x);
        __builtin_memcpy(p + i + k, &x, sizeof x);
        __builtin_memcpy(p + i + 2 * k, &x, sizeof x);
        __builtin_memcpy(p + i + 3 * k, &x, sizeof x);
    }
    for (; i + k <= n; i += k) __builtin_memcpy(p + i, &x, sizeof x);
    if (i < n) __builtin_memcpy(p + n - k, &x, sizeof x);  // the tail, overlapping what is done
}

constexpr size_t kLongRun = 16384;  // pixels; from here the C library's fill is as fast or faster

}  // namespace

void fill_pixels(uint32_t *p, size_t n, uint32_t v) {
    if (n < kLongRun) {
        store_run(p, n, v);
    } else if ((v & 0xFFu) == ((v >> 8) & 0xFFu) && (v & 0xFFu) == ((v >> 16) & 0xFFu) && (v >> 24) == (v & 0xFFu)) {
        std::memset(p, static_cast<int>(v & 0xFFu), n * sizeof(uint32_t));
    } else {
        std::wmemset(reinterpret_cast<wchar_t *>(p), static_cast<wchar_t>(v), n);
    }
}

void note_written(const Target &t, int64_t x0, int64_t top, int64_t x1, int64_t b) {
    // Inside the clip, so inside the surface: the surface coordinates fit in 32 bits.
    const auto l = static_cast<int32_t>(x0 + t.ox), r = static_cast<int32_t>(x1 + t.ox);
    const auto y0 = static_cast<int32_t>(top + t.oy), y1 = static_cast<int32_t>(b + t.oy);
    t.store->write_writers(BitmapPixels::WriterRect{l, y0, r, y1, t.writer});
    log_written_rows(t.store, l, y0, r, y1);
}

bool fill_rect(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b, uint32_t px) {
    l = std::max(l, t.cl);
    top = std::max(top, t.ct);
    r = std::min(r, t.cr);
    b = std::min(b, t.cb);
    if (l >= r || top >= b) return false;
    const size_t n = static_cast<size_t>(r - l);
    if (l == 0 && r == t.width && t.ox == 0 && t.stride == t.width) {
        // Whole rows of a tightly packed surface: one fill.
        fill_pixels(t.row(top), n * static_cast<size_t>(b - top), px);
    } else {
        for (int64_t y = top; y < b; ++y) fill_pixels(t.row(y) + l, n, px);
    }
    if (t.explain) [[unlikely]]
        note_written(t, l, top, r, b);
    return true;
}

#if defined(__wasm_simd128__)
// The browser build: its C library compares byte by byte, so rows are compared
// here 16 pixels and then 4 pixels at a time with 128-bit vectors.
namespace {

bool differ4(const uint32_t *a, const uint32_t *b) {
    return wasm_v128_any_true(wasm_v128_xor(wasm_v128_load(a), wasm_v128_load(b)));
}
bool differ16(const uint32_t *a, const uint32_t *b) {
    const v128_t x = wasm_v128_or(wasm_v128_xor(wasm_v128_load(a), wasm_v128_load(b)),
                                  wasm_v128_xor(wasm_v128_load(a + 4), wasm_v128_load(b + 4)));
    const v128_t y = wasm_v128_or(wasm_v128_xor(wasm_v128_load(a + 8), wasm_v128_load(b + 8)),
                                  wasm_v128_xor(wasm_v128_load(a + 12), wasm_v128_load(b + 12)));
    return wasm_v128_any_true(wasm_v128_or(x, y));
}

}  // namespace

bool differing_span(const uint32_t *have, const uint32_t *want, size_t n, size_t *a, size_t *b) {
    size_t i = 0;
    while (i + 16 <= n && !differ16(have + i, want + i)) i += 16;
    while (i + 4 <= n && !differ4(have + i, want + i)) i += 4;
    while (i < n && have[i] == want[i]) ++i;
    if (i == n) return false;
    size_t j = n;
    while (j >= i + 16 && !differ16(have + j - 16, want + j - 16)) j -= 16;
    while (j >= i + 4 && !differ4(have + j - 4, want + j - 4)) j -= 4;
    while (have[j - 1] == want[j - 1]) --j;
    *a = i;
    *b = j;
    return true;
}
#else
bool differing_span(const uint32_t *have, const uint32_t *want, size_t n, size_t *a, size_t *b) {
    if (std::memcmp(have, want, n * sizeof(uint32_t)) == 0) return false;
    constexpr size_t kChunk = 8;  // a constant-size equality test the compiler expands inline
    size_t i = 0, j = n;
    while (i + kChunk <= n && std::memcmp(have + i, want + i, kChunk * sizeof(uint32_t)) == 0) i += kChunk;
    while (have[i] == want[i]) ++i;
    while (j >= i + kChunk && std::memcmp(have + j - kChunk, want + j - kChunk, kChunk * sizeof(uint32_t)) == 0)
        j -= kChunk;
    while (have[j - 1] == want[j - 1]) --j;
    *a = i;
    *b = j;
    return true;
}
#endif

bool defer_fill(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b, uint32_t px) {
    if (!t.store) return fill_rect(t, l, top, r, b, px);
    l = std::max(l, t.cl);
    top = std::max(top, t.ct);
    r = std::min(r, t.cr);
    b = std::min(b, t.cb);
    if (l >= r || top >= b) return false;
    // Explaining: the fill is drawn now as far as the plane and the span log
    // go; its pixels wait in the record like any other's.
    if (t.explain) [[unlikely]]
        note_written(t, l, top, r, b);
    // The clip lies inside the surface, so the surface coordinates fit in 32 bits.
    t.store->record(DeferredFill{static_cast<int32_t>(l + t.ox), static_cast<int32_t>(top + t.oy),
                                 static_cast<int32_t>(r + t.ox), static_cast<int32_t>(b + t.oy), px});
    return true;
}

}  // namespace standin
