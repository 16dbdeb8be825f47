// Host surfaces of top-level windows: their pixels (in the backend's memory
// where it offers some), the hooks through which window DCs draw on them
// (target.h), damage tracking, the menu code's overlay, and presenting the
// damaged rectangles through the backend.
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
    // A window DC may draw, so resolving one counts as writing.
    t->pixels = top->pixels.for_writing();
    t->version = top->pixels.version();
    t->prev_version = top->pixels.prev_version();
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

void dc_changed(HWND hwnd, int64_t l, int64_t t, int64_t r, int64_t b) {
    Window *w = window_get(hwnd);
    if (!w) return;
    int64_t ox = 0, oy = 0;
    client_origin_in_host(w, &ox, &oy);
    surface_changed(top_level_of(w), l + ox, t + oy, r + ox, b + oy);
}

void dc_copied(HWND hwnd) {
    if (Window *top = top_level_of(window_get(hwnd))) top->copied = true;
}

HostRect host_rect(const RECT &r) { return HostRect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// Drawing's bounding box, then the exact rectangles of copies that it does not hold.
std::vector<HostRect> take_damage(Window *w) {
    const RECT all{0, 0, w->surface_w, w->surface_h};
    const RECT box = rect_intersect(w->damage, all);
    std::vector<HostRect> rects;
    if (!rect_empty(box)) rects.push_back(host_rect(box));
    for (const RECT &c : w->changed) {
        const RECT r = rect_intersect(c, all);
        if (!rect_empty(r) && !(rect_contains(box, r) && !rect_empty(box))) rects.push_back(host_rect(r));
    }
    w->damage = RECT{0, 0, 0, 0};
    w->changed.clear();
    w->copied = false;
    return rects;
}

// A frame copied again unchanged is still presented, with no rectangles: a
// backend that counts or dumps frames sees every frame it saw before.
void present_window(Window *w) {
    const bool copied = w->copied;
    const std::vector<HostRect> rects = take_damage(w);
    if ((rects.empty() && !copied) || !w->host) return;
    const uint32_t *src = w->pixels.data();
    if (w->overlay.pixels) {
        // The whole picture is composed (a backend may keep or dump all of
        // it); only the damaged rectangles are presented.
        const RECT o = rect_intersect(w->overlay.rect, RECT{0, 0, w->surface_w, w->surface_h});
        w->composite.assign(src, src + w->pixels.size());
        const size_t sw = static_cast<size_t>(w->surface_w);
        for (LONG y = o.top; y < o.bottom; ++y) {
            const uint32_t *row = w->overlay.pixels + (y - w->overlay.rect.top) * w->overlay.stride +
                                  (o.left - w->overlay.rect.left);
            std::memcpy(&w->composite[y * sw + o.left], row, static_cast<size_t>(o.right - o.left) * sizeof(uint32_t));
        }
        src = w->composite.data();
    }
    backend().present(w->host, src, w->surface_w, w->surface_h, w->surface_w, rects.data(),
                      static_cast<int>(rects.size()));
}

// More exact rectangles than this are merged: a present stays a few requests.
constexpr size_t kMaxChanged = 16;

}  // namespace

void SurfacePixels::allocate(HostId host, int width, int height, uint32_t v) {
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    const BackendDriver &driver = backend();
    uint32_t *shared = host && driver.surface ? driver.surface(host, width, height) : nullptr;
    host_ = host;
    shared_ = shared != nullptr;
    if (shared) {
        own_.clear();
        own_.shrink_to_fit();
        data_ = shared;
        fill_pixels(data_, n, v);
    } else {
        own_.assign(n, v);
        data_ = own_.data();
    }
    size_ = n;
}

void SurfacePixels::release() {
    own_.clear();
    own_.shrink_to_fit();
    data_ = nullptr;
    size_ = 0;
    host_ = 0;
    shared_ = false;
}

uint64_t SurfacePixels::next_version() {
    static uint64_t last = 0;  // one counter for all surfaces: a version names one surface's state
    return ++last;
}

uint32_t *SurfacePixels::for_writing() {
    if (const BackendDriver &driver = backend(); shared_ && driver.await_surface) driver.await_surface(host_);
    prev_version_ = version_;
    version_ = next_version();
    return data_;
}

WindowSurfaceHooks window_surface_hooks() {
    WindowSurfaceHooks hooks;
    hooks.surface = surface_for_dc;
    hooks.touched = dc_touched;
    hooks.changed = dc_changed;
    hooks.copied = dc_copied;
    return hooks;
}

void surface_create(Window *w) {
    w->surface_w = w->width;
    w->surface_h = w->height;
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
    w->pixels.allocate(w->host, w->surface_w, w->surface_h, background_pixel(w));
}

void surface_destroy(Window *w) {
    w->pixels.release();
    if (w->host) backend().destroy_host(w->host);
    w->host = 0;
    w->changed.clear();
    w->copied = false;
    w->composite.clear();
    w->composite.shrink_to_fit();
    w->overlay = Overlay{};
}

void surface_resize(Window *w, int width, int height) {
    std::vector<uint32_t> next(static_cast<size_t>(width) * static_cast<size_t>(height), background_pixel(w));
    const int cw = std::min(width, w->surface_w);
    const int ch = std::min(height, w->surface_h);
    for (int y = 0; y < ch; ++y)
        std::memcpy(&next[static_cast<size_t>(y) * width], w->pixels.data() + static_cast<size_t>(y) * w->surface_w,
                    static_cast<size_t>(cw) * sizeof(uint32_t));
    // The old pixels may live in memory that the backend frees for the new size.
    w->pixels.allocate(w->host, width, height, background_pixel(w));
    if (!next.empty()) std::memcpy(w->pixels.for_writing(), next.data(), next.size() * sizeof(uint32_t));
    w->surface_w = width;
    w->surface_h = height;
    w->composite.clear();
    surface_damage_all(w);
}

// The part of (l, t, r, b) on a top-level window's surface; false when none.
static bool on_surface(const Window *w, int64_t l, int64_t t, int64_t r, int64_t b, RECT *out) {
    if (!w || w->is_child()) return false;
    l = std::max<int64_t>(l, 0);
    t = std::max<int64_t>(t, 0);
    r = std::min<int64_t>(r, w->surface_w);
    b = std::min<int64_t>(b, w->surface_h);
    if (l >= r || t >= b) return false;
    *out = RECT{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r), static_cast<LONG>(b)};
    return true;
}

void surface_damage(Window *w, int64_t l, int64_t t, int64_t r, int64_t b) {
    RECT n;
    if (on_surface(w, l, t, r, b, &n)) rect_union(&w->damage, n);
}

void surface_damage_all(Window *w) { surface_damage(w, 0, 0, w->surface_w, w->surface_h); }

void surface_changed(Window *w, int64_t l, int64_t t, int64_t r, int64_t b) {
    RECT n;
    if (!on_surface(w, l, t, r, b, &n)) return;
    if (!w->changed.empty()) {
        // Touching or overlapping the newest one: the same change, grown.
        RECT &last = w->changed.back();
        if (n.top <= last.bottom && n.bottom >= last.top && n.left <= last.right && n.right >= last.left) {
            rect_union(&last, n);
            return;
        }
    }
    if (w->changed.size() >= kMaxChanged) {
        rect_union(&w->changed.back(), n);
        return;
    }
    w->changed.push_back(n);
}

void present_damaged() {
    const std::vector<HWND> tops = top_level_windows();
    for (HWND h : tops) {
        Window *w = window_get(h);
        if (w && w->visible && (!rect_empty(w->damage) || !w->changed.empty() || w->copied)) present_window(w);
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

void window_clear_overlay(HWND window) {
    Window *w = window_get(window);
    if (!w || !w->overlay.pixels) return;
    surface_damage(w, w->overlay.rect.left, w->overlay.rect.top, w->overlay.rect.right, w->overlay.rect.bottom);
    w->overlay = Overlay{};
}

}  // namespace standin
