// Host surfaces of top-level windows: their pixels, the hooks through which
// window DCs draw on them (target.h), damage tracking, the menu code's
// overlay, and presenting damaged rectangles through the backend.
#include "user/window.h"

#include "gdi/gdi_objects.h"
#include "gdi/target.h"
#include "user/rect.h"
#include "user/window_hooks.h"

#include <algorithm>
#include <cstring>

namespace standin {

namespace {

// A fresh surface shows the class background, so a first present before any
// painting is not a flash of black.
uint32_t background_pixel(const Window *w) {
    if (Brush *b = gdi_brush(w->cls->background); b && !b->hollow) return colorref_to_pixel(b->color);
    return 0x00FFFFFFu;
}

// ---- window-DC hooks ----

bool surface_for_dc(HWND hwnd, Target *t) {
    Window *w = window_get(hwnd);
    Window *top = top_level_of(w);
    ClientClip clip;
    // The device clip is what shows; a window that shows somewhere has its
    // origin within int range of the surface.
    if (!top || top->pixels.empty() || !visible_client_clip(w, &clip)) return false;
    t->pixels = top->pixels.data();
    t->width = top->surface_w;
    t->height = top->surface_h;
    t->stride = top->surface_w;
    t->mono = false;
    t->ox = static_cast<int>(clip.ox);
    t->oy = static_cast<int>(clip.oy);
    t->cl = clip.l;
    t->ct = clip.t;
    t->cr = clip.r;
    t->cb = clip.b;
    return true;
}

void dc_touched(HWND hwnd, int64_t l, int64_t t, int64_t r, int64_t b) {
    Window *w = window_get(hwnd);
    if (!w) return;
    int64_t ox = 0, oy = 0;
    client_origin_in_host(w, &ox, &oy);
    surface_damage(top_level_of(w), l + ox, t + oy, r + ox, b + oy);
}

void present_window(Window *w) {
    const RECT d = rect_intersect(w->damage, RECT{0, 0, w->surface_w, w->surface_h});
    w->damage = RECT{0, 0, 0, 0};
    if (rect_empty(d) || !w->host) return;
    const uint32_t *src = w->pixels.data();
    if (w->overlay.pixels) {
        // The whole picture is composed (a backend may keep or dump all of
        // it); only the damaged rectangle is presented.
        const RECT o = rect_intersect(w->overlay.rect, RECT{0, 0, w->surface_w, w->surface_h});
        w->composite = w->pixels;
        const size_t sw = static_cast<size_t>(w->surface_w);
        for (LONG y = o.top; y < o.bottom; ++y) {
            const uint32_t *row = w->overlay.pixels + (y - w->overlay.rect.top) * w->overlay.stride +
                                  (o.left - w->overlay.rect.left);
            std::memcpy(&w->composite[y * sw + o.left], row, static_cast<size_t>(o.right - o.left) * sizeof(uint32_t));
        }
        src = w->composite.data();
    }
    backend().present(w->host, src, w->surface_w, w->surface_h, w->surface_w, d.left, d.top, d.right - d.left,
                      d.bottom - d.top);
}

}  // namespace

void install_surface_hooks() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    WindowSurfaceHooks hooks;
    hooks.surface = surface_for_dc;
    hooks.touched = dc_touched;
    set_window_surface_hooks(hooks);
}

void surface_create(Window *w) {
    w->surface_w = w->width;
    w->surface_h = w->height;
    w->pixels.assign(static_cast<size_t>(w->surface_w) * static_cast<size_t>(w->surface_h), background_pixel(w));
    HostWindowParams p;
    p.title = w->text.c_str();
    p.x = w->x;
    p.y = w->y;
    p.width = w->surface_w;
    p.height = w->surface_h;
    if (Window *owner = window_get(w->owner)) p.owner = owner->host;
    p.resizable = (w->style & WS_THICKFRAME) != 0;
    p.dialog = (w->style & WS_POPUP) && w->owner;
    w->host = backend().create_host(p);
}

void surface_destroy(Window *w) {
    if (w->host) backend().destroy_host(w->host);
    w->host = 0;
    w->pixels.clear();
    w->pixels.shrink_to_fit();
    w->composite.clear();
    w->composite.shrink_to_fit();
    w->overlay = Overlay{};
}

void surface_resize(Window *w, int width, int height) {
    std::vector<uint32_t> next(static_cast<size_t>(width) * static_cast<size_t>(height), background_pixel(w));
    const int cw = std::min(width, w->surface_w);
    const int ch = std::min(height, w->surface_h);
    for (int y = 0; y < ch; ++y)
        std::memcpy(&next[static_cast<size_t>(y) * width], &w->pixels[static_cast<size_t>(y) * w->surface_w],
                    static_cast<size_t>(cw) * sizeof(uint32_t));
    w->pixels.swap(next);
    w->surface_w = width;
    w->surface_h = height;
    w->composite.clear();
    surface_damage_all(w);
}

void surface_damage(Window *w, int64_t l, int64_t t, int64_t r, int64_t b) {
    if (!w || w->is_child()) return;
    l = std::max<int64_t>(l, 0);
    t = std::max<int64_t>(t, 0);
    r = std::min<int64_t>(r, w->surface_w);
    b = std::min<int64_t>(b, w->surface_h);
    if (l >= r || t >= b) return;
    rect_union(&w->damage, RECT{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r),
                                static_cast<LONG>(b)});
}

void surface_damage_all(Window *w) { surface_damage(w, 0, 0, w->surface_w, w->surface_h); }

void present_damaged() {
    const std::vector<HWND> tops = top_level_windows();
    for (HWND h : tops) {
        Window *w = window_get(h);
        if (w && w->visible && !rect_empty(w->damage)) present_window(w);
    }
}

// ---- for the menu code (window_hooks.h) ----

bool window_surface_size(HWND window, int *width, int *height) {
    Window *w = window_get(window);
    if (!w || w->is_child()) return false;
    *width = w->surface_w;
    *height = w->surface_h;
    return true;
}

bool window_set_overlay(HWND window, const RECT &rect, const uint32_t *pixels, ptrdiff_t stride) {
    Window *w = window_get(window);
    if (!w || w->is_child() || !pixels || rect_empty(rect) || stride < rect.right - rect.left) return false;
    surface_damage(w, w->overlay.rect.left, w->overlay.rect.top, w->overlay.rect.right, w->overlay.rect.bottom);
    w->overlay = Overlay{rect, pixels, stride};
    surface_damage(w, rect.left, rect.top, rect.right, rect.bottom);
    return true;
}

void window_overlay_changed(HWND window) {
    Window *w = window_get(window);
    if (!w || !w->overlay.pixels) return;
    surface_damage(w, w->overlay.rect.left, w->overlay.rect.top, w->overlay.rect.right, w->overlay.rect.bottom);
}

void window_clear_overlay(HWND window) {
    Window *w = window_get(window);
    if (!w || !w->overlay.pixels) return;
    surface_damage(w, w->overlay.rect.left, w->overlay.rect.top, w->overlay.rect.right, w->overlay.rect.bottom);
    w->overlay = Overlay{};
}

}  // namespace standin
