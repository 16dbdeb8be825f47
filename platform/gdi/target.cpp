// Target resolution and the clipped fills that every primitive ends in.
#include "gdi/target.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

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

bool dc_target(Dc *dc, Target *t) {
    if (!dc_surface_target(dc, t)) return false;
    if (dc->has_clip) {
        t->cl = std::max<int64_t>(t->cl, dc->clip.left);
        t->ct = std::max<int64_t>(t->ct, dc->clip.top);
        t->cr = std::min<int64_t>(t->cr, dc->clip.right);
        t->cb = std::min<int64_t>(t->cb, dc->clip.bottom);
    }
    return true;
}

bool dc_surface_target(Dc *dc, Target *t) {
    *t = Target{};
    if (!dc) return false;
    if (dc->kind == DcKind::Memory) {
        Bitmap *bm = dc->bitmap;
        if (!bm || bm->pixels.empty()) return false;
        t->pixels = bm->pixels.data();
        t->width = bm->width;
        t->height = bm->height;
        t->stride = bm->width;
        t->mono = bm->bpp == 1;
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

void target_touched(const Target &t, int64_t l, int64_t top, int64_t r, int64_t b) {
    if (!t.window || !g_hooks.touched) return;
    l = std::max(l, t.cl);
    top = std::max(top, t.ct);
    r = std::min(r, t.cr);
    b = std::min(b, t.cb);
    if (l < r && top < b) g_hooks.touched(t.window, l, top, r, b);
}

void fill_pixels(uint32_t *p, size_t n, uint32_t v) {
    if ((v & 0xFFu) == ((v >> 8) & 0xFFu) && (v & 0xFFu) == ((v >> 16) & 0xFFu) && (v >> 24) == (v & 0xFFu)) {
        std::memset(p, static_cast<int>(v & 0xFFu), n * sizeof(uint32_t));
    } else {
        std::wmemset(reinterpret_cast<wchar_t *>(p), static_cast<wchar_t>(v), n);
    }
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
    return true;
}

}  // namespace standin
