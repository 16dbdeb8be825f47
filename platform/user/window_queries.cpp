// The automation's window queries (window_queries.h), answered from the
// window model in window.h, so that the automation needs none of USER's
// internals.
#include "user/window_queries.h"

#include "gdi/target.h"
#include "user/window.h"

namespace standin {

namespace {

Window *top_window(HWND hwnd) {
    Window *w = window_get(hwnd);
    return w && !w->is_child() ? w : nullptr;
}

SurfaceView surface_of(const Window *top) {
    return SurfaceView{top->pixels.data(), top->surface_w, top->surface_h, top->surface_w};
}

}  // namespace

HostId top_level_host(HWND window) {
    const Window *top = top_window(window);
    return top ? top->host : 0;
}

bool client_point_on_host(HWND window, int x, int y, HostId *host, int *host_x, int *host_y) {
    Window *w = window_get(window);
    if (!w) return false;
    int64_t ox = 0, oy = 0;
    client_origin_in_host(w, &ox, &oy);
    const Window *top = top_level_of(w);
    *host = top ? top->host : 0;
    *host_x = saturate32(ox + x);
    *host_y = saturate32(oy + y);
    return true;
}

bool top_level_surface(HWND window, SurfaceView *view) {
    const Window *top = top_window(window);
    if (!top || top->pixels.empty()) return false;
    *view = surface_of(top);
    return true;
}

bool client_on_surface(HWND window, ClientOnSurface *out) {
    *out = ClientOnSurface{};
    Window *w = window_get(window);
    const Window *top = top_level_of(w);
    ClientClip c;
    if (!top || top->pixels.empty() || !visible_client_clip(w, &c)) return false;
    out->surface = surface_of(top);
    out->origin_x = c.ox;
    out->origin_y = c.oy;
    out->left = c.l;
    out->top = c.t;
    out->right = c.r;
    out->bottom = c.b;
    return true;
}

}  // namespace standin
