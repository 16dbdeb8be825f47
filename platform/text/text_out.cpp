// TextOutA: puts the cell's top-left corner at the given point (GDI's default
// alignment, the only one the stand-in has), fills it in OPAQUE mode and
// blends cached glyph coverage in the text colour (thresholded glyphs on 1-bit
// surfaces). Everything is clipped through target.h in 64-bit device
// coordinates, and glyphs outside the clip are never rendered.
#include "text/font_cache.h"
#include "gdi/gdi_objects.h"
#include "gdi/target.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

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

// Blends one row of coverage in the text colour. Four pixels at a time where
// SSE2 or wasm's SIMD is available, with exactly the scalar arithmetic; runs of empty or
// full coverage are skipped or stored without arithmetic.
void blend_row(uint32_t *dst, const uint8_t *cov, size_t n, uint32_t px) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i fg = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(px)), zero);
    const __m128i full = _mm_set1_epi32(static_cast<int>(px));
    const __m128i c255 = _mm_set1_epi16(255), c128 = _mm_set1_epi16(128);
    for (; i + 4 <= n; i += 4) {
        uint32_t a4;
        std::memcpy(&a4, cov + i, sizeof a4);
        if (a4 == 0) continue;
        if (a4 == 0xFFFFFFFFu) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), full);
            continue;
        }
        __m128i a = _mm_cvtsi32_si128(static_cast<int>(a4));
        a = _mm_unpacklo_epi8(a, a);
        a = _mm_unpacklo_epi16(a, a);  // each coverage byte in all four channels of its pixel
        const __m128i alo = _mm_unpacklo_epi8(a, zero), ahi = _mm_unpackhi_epi8(a, zero);
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i));
        const __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
        __m128i lo = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(fg, alo), _mm_mullo_epi16(dlo, _mm_sub_epi16(c255, alo))), c128);
        __m128i hi = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(fg, ahi), _mm_mullo_epi16(dhi, _mm_sub_epi16(c255, ahi))), c128);
        lo = _mm_srli_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), 8);  // divide by 255, rounded
        hi = _mm_srli_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_packus_epi16(lo, hi));
    }
#elif defined(__wasm_simd128__)
    // The same four-pixel step in the browser build's 128-bit vectors.
    const v128_t fg = wasm_u16x8_extend_low_u8x16(wasm_i32x4_splat(static_cast<int32_t>(px)));
    const v128_t full = wasm_i32x4_splat(static_cast<int32_t>(px));
    const v128_t c255 = wasm_i16x8_splat(255), c128 = wasm_i16x8_splat(128);
    for (; i + 4 <= n; i += 4) {
        uint32_t a4;
        std::memcpy(&a4, cov + i, sizeof a4);
        if (a4 == 0) continue;
        if (a4 == 0xFFFFFFFFu) {
            wasm_v128_store(dst + i, full);
            continue;
        }
        const v128_t a = wasm_i8x16_shuffle(wasm_i32x4_splat(static_cast<int32_t>(a4)), wasm_i32x4_splat(0), 0, 0, 0,
                                            0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
        const v128_t alo = wasm_u16x8_extend_low_u8x16(a), ahi = wasm_u16x8_extend_high_u8x16(a);
        const v128_t d = wasm_v128_load(dst + i);
        const v128_t dlo = wasm_u16x8_extend_low_u8x16(d), dhi = wasm_u16x8_extend_high_u8x16(d);
        v128_t lo = wasm_i16x8_add(wasm_i16x8_add(wasm_i16x8_mul(fg, alo), wasm_i16x8_mul(dlo, wasm_i16x8_sub(c255, alo))), c128);
        v128_t hi = wasm_i16x8_add(wasm_i16x8_add(wasm_i16x8_mul(fg, ahi), wasm_i16x8_mul(dhi, wasm_i16x8_sub(c255, ahi))), c128);
        lo = wasm_u16x8_shr(wasm_i16x8_add(lo, wasm_u16x8_shr(lo, 8)), 8);  // divide by 255, rounded
        hi = wasm_u16x8_shr(wasm_i16x8_add(hi, wasm_u16x8_shr(hi, 8)), 8);
        wasm_v128_store(dst + i, wasm_u8x16_narrow_i16x8(lo, hi));
    }
#endif
    for (; i < n; ++i) {
        const uint32_t a = cov[i];
        if (a == 255) dst[i] = px;
        else if (a != 0) dst[i] = blend(px, dst[i], a);
    }
}

// Explaining: the pixels of row y from x0 that some coverage reached, and
// only those, were written. Coverage is read eight bytes at a time where a
// whole word is empty or has no empty byte.
void note_covered(const Target &t, int64_t y, int64_t x0, const uint8_t *cov, size_t n) {
    const auto word = [cov](size_t i) {
        uint64_t w;
        std::memcpy(&w, cov + i, sizeof w);
        return w;
    };
    const auto has_zero_byte = [](uint64_t w) { return ((w - 0x0101010101010101u) & ~w & 0x8080808080808080u) != 0; };
    for (size_t i = 0; i < n;) {
        while (i + 8 <= n && word(i) == 0) i += 8;
        while (i < n && cov[i] == 0) ++i;
        const size_t from = i;
        while (i + 8 <= n && !has_zero_byte(word(i))) i += 8;
        while (i < n && cov[i] != 0) ++i;
        if (from < i) note_written(t, x0 + static_cast<int64_t>(from), y, x0 + static_cast<int64_t>(i), y + 1);
    }
}

// Whether all n pixels are c: four at a time in a vector, the rest one by one.
bool row_is(const uint32_t *p, size_t n, uint32_t c) {
    using Four = uint32_t __attribute__((vector_size(16)));
    const Four cs = {c, c, c, c};
    Four d = {};
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        Four v;
        __builtin_memcpy(&v, p + i, sizeof v);
        d |= v ^ cs;
    }
    uint32_t rest = d[0] | d[1] | d[2] | d[3];
    for (; i < n; ++i) rest |= p[i] ^ c;
    return rest == 0;
}

// Copies n pixels in fixed-size pieces: a copy of a glyph's row is a few
// pixels, too short for a call into the C library (or, in the browser, a
// bulk memory instruction) to pay.
void copy_row(uint32_t *dst, const uint32_t *src, size_t n) {
    size_t i = 0;
    for (; i + 4 <= n; i += 4) __builtin_memcpy(dst + i, src + i, 4 * sizeof(uint32_t));
    if (i + 2 <= n) {
        __builtin_memcpy(dst + i, src + i, 2 * sizeof(uint32_t));
        i += 2;
    }
    if (i < n) dst[i] = src[i];
}

// A glyph blended whole over one solid colour: text is mostly drawn on a
// plain background, where each of its rows is then a copy of one of these.
// Kept per instance, byte and pair of colours (instances live for the
// process, and a byte's coverage is the same each time it is rendered), in a
// small table of sets of four, where a newcomer takes the place of the
// set's oldest.
struct InkedGlyph {
    const FontInstance *fi = nullptr;
    uint8_t b = 0;
    uint32_t ink = 0, paper = 0;
    GlyphBox box;
    std::vector<uint32_t> px;  // box.width x box.rows
};

const InkedGlyph &inked_glyph(const FontInstance *fi, uint8_t b, const uint8_t *cov, const GlyphBox &box, uint32_t ink,
                              uint32_t paper) {
    constexpr size_t kSets = 64, kWays = 4;
    struct Set {
        std::array<InkedGlyph, kWays> ways;
        size_t oldest = 0;
    };
    static std::array<Set, kSets> table;
    uint64_t key = (reinterpret_cast<uintptr_t>(fi) >> 4) ^ (uint64_t{b} * 0x9E3779B1u) ^
                   (uint64_t{ink} * 0x85EBCA77u) ^ (uint64_t{paper} * 0xC2B2AE3Du);
    key ^= key >> 29;
    Set &set = table[(key ^ (key >> 13)) % kSets];
    for (InkedGlyph &g : set.ways)
        if (g.fi == fi && g.b == b && g.ink == ink && g.paper == paper && g.box.width == box.width &&
            g.box.rows == box.rows && g.box.left == box.left && g.box.top == box.top)
            return g;
    InkedGlyph &g = set.ways[set.oldest];
    set.oldest = (set.oldest + 1) % kWays;
    g.fi = fi;
    g.b = b;
    g.ink = ink;
    g.paper = paper;
    g.box = box;
    const size_t n = static_cast<size_t>(box.width) * static_cast<size_t>(box.rows);
    g.px.assign(n, paper);
    blend_row(g.px.data(), cov, n, ink);
    return g;
}

// Draws a coverage bitmap whose top-left lands on device (gx, gy); returns
// false when none of it is inside the clip. Byte b of instance fi.
bool blit_glyph(const Target &t, const FontInstance *fi, uint8_t b, const uint8_t *cov, const GlyphBox &box,
                int64_t gx, int64_t gy, uint32_t px, Touched *touched) {
    const int64_t x0 = std::max(gx, t.cl), x1 = std::min(gx + box.width, t.cr);
    const int64_t y0 = std::max(gy, t.ct), y1 = std::min(gy + box.rows, t.cb);
    if (x0 >= x1 || y0 >= y1) return false;
    const size_t n = static_cast<size_t>(x1 - x0);
    // The colour under the glyph's first pixel: rows of only that colour
    // take their pixels from the glyph blended over it, the same bytes as
    // blending them here.
    const uint32_t paper = t.row(y0)[x0];
    const InkedGlyph *inked = nullptr;
    for (int64_t y = y0; y < y1; ++y) {
        const uint8_t *src = cov + (y - gy) * box.width + (x0 - gx);
        uint32_t *dst = t.row(y) + x0;
        if (t.mono) {
            // Monochrome coverage is already thresholded to 0 or 255.
            for (size_t i = 0; i < n; ++i)
                if (src[i]) dst[i] = px;
        } else {
            if (row_is(dst, n, paper)) {
                if (!inked) inked = &inked_glyph(fi, b, cov, box, px, paper);
                copy_row(dst, inked->px.data() + (y - gy) * box.width + (x0 - gx), n);
            } else {
                blend_row(dst, src, n, px);
            }
            if (t.explain) [[unlikely]]
                note_covered(t, y, x0, src, n);
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

    const int64_t left = x, top = y;

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
        if (cov) blit_glyph(cell, fi, b, cov, drawn, pen + drawn.left, baseline - drawn.top, px, &touched);
    }
    if (touched.l < touched.r) target_touched(t, touched.l, touched.t, touched.r, touched.b);
    return TRUE;
}

}  // extern "C"
