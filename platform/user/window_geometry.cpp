// Window geometry: client and window rectangles, moving and resizing
// (MoveWindow and host resizes), WM_SIZE, and the screen metrics. The host
// window manager draws caption and frame outside the host, so a top-level
// window's outer size is its host surface: menu bar strip plus client area.
#include "user/window.h"

#include "gdi/target.h"
#include "user/window_hooks.h"

#include <algorithm>

namespace standin {

namespace {

// Screen position of a window's client area, in 64 bits.
void client_origin_on_screen(const Window *w, int64_t *x, int64_t *y) {
    int64_t hx = 0, hy = 0;
    client_origin_in_host(w, &hx, &hy);
    const Window *top = top_level_of(const_cast<Window *>(w));
    *x = hx + (top ? top->x : 0);
    *y = hy + (top ? top->y : 0);
}

}  // namespace

void client_size(const Window *w, int *width, int *height) {
    *width = w->width;
    *height = w->is_child() ? w->height : std::max(0, w->height - w->menu_height);
}

RECT client_rect(const Window *w) {
    int cw = 0, ch = 0;
    client_size(w, &cw, &ch);
    return RECT{0, 0, cw, ch};
}

RECT outer_rect(const Window *w) {
    return RECT{w->x, w->y, saturate32(int64_t{w->x} + w->width), saturate32(int64_t{w->y} + w->height)};
}

void client_origin_in_host(const Window *w, int64_t *x, int64_t *y) {
    int64_t ox = 0, oy = 0;
    while (w) {
        if (!w->is_child()) {
            oy += w->menu_height;
            break;
        }
        ox += w->x;
        oy += w->y;
        w = window_get(w->parent);
    }
    *x = ox;
    *y = oy;
}

bool visible_client_clip(const Window *w, ClientClip *clip) {
    *clip = ClientClip{};
    // Windows draws nothing on a hidden window: its visible region is empty.
    if (!w || !effectively_visible(w)) return false;
    const Window *top = top_level_of(const_cast<Window *>(w));
    if (!top) return false;
    int64_t ox = 0, oy = 0;
    client_origin_in_host(w, &ox, &oy);
    int cw = 0, ch = 0;
    client_size(w, &cw, &ch);
    int64_t l = 0, t = 0, r = cw, b = ch;
    for (const Window *c = w; c->is_child();) {
        const Window *p = window_get(c->parent);
        if (!p) break;
        int64_t px = 0, py = 0;
        client_origin_in_host(p, &px, &py);
        int pw = 0, ph = 0;
        client_size(p, &pw, &ph);
        l = std::max(l, px - ox);
        t = std::max(t, py - oy);
        r = std::min(r, px + pw - ox);
        b = std::min(b, py + ph - oy);
        c = p;
    }
    l = std::max(l, -ox);
    t = std::max(t, -oy);
    r = std::min(r, int64_t{top->surface_w} - ox);
    b = std::min(b, int64_t{top->surface_h} - oy);
    if (l >= r || t >= b) return false;
    *clip = ClientClip{ox, oy, l, t, r, b};
    return true;
}

void send_size(HWND hwnd) {
    Window *w = window_get(hwnd);
    if (!w) return;
    int cw = 0, ch = 0;
    client_size(w, &cw, &ch);
    send_message(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
}

void window_set_rect(Window *w, int x, int y, int width, int height, bool repaint) {
    const HWND hwnd = w->handle;
    int old_cw = 0, old_ch = 0;
    client_size(w, &old_cw, &old_ch);
    const RECT old_rect = outer_rect(w);
    const int old_menu = w->menu_height;

    if (w->is_child()) {
        width = std::max(0, width);
        height = std::max(0, height);
    } else {
        width = std::clamp(width, 1, kMaxHostSize);
        height = std::clamp(height, 1, kMaxHostSize);
    }
    const bool resized = width != w->width || height != w->height;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    if (!w->is_child()) {
        if (resized) surface_resize(w, width, height);
        menu_bar_update(w);
    }

    int cw = 0, ch = 0;
    client_size(w, &cw, &ch);
    if (repaint) {
        if (w->is_child()) {
            if (Window *p = window_get(w->parent)) invalidate_client(p, &old_rect, true);
            invalidate_tree(w, true);
        } else {
            const UINT cs = w->cls->style;
            const bool whole = ((cs & CS_HREDRAW) && cw != old_cw) || ((cs & CS_VREDRAW) && ch != old_ch) ||
                               w->menu_height != old_menu;
            if (whole) {
                invalidate_tree(w, true);
            } else {
                // Only what the larger size uncovered needs painting.
                if (cw > old_cw) {
                    RECT r{old_cw, 0, cw, ch};
                    invalidate_client(w, &r, true);
                }
                if (ch > old_ch) {
                    RECT r{0, old_ch, cw, ch};
                    invalidate_client(w, &r, true);
                }
            }
        }
    }
    if (cw != old_cw || ch != old_ch) send_size(hwnd);
}

bool window_client_origin(HWND window, POINT *origin) {
    Window *w = window_get(window);
    if (!w || !origin) return false;
    int64_t x = 0, y = 0;
    client_origin_on_screen(w, &x, &y);
    origin->x = saturate32(x);
    origin->y = saturate32(y);
    return true;
}

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window *w = window_checked(hWnd);
    if (!w || !lpRect) return FALSE;
    *lpRect = client_rect(w);
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window *w = window_checked(hWnd);
    if (!w || !lpRect) return FALSE;
    int64_t x = w->x, y = w->y;
    if (w->is_child()) {
        // A child's position is relative to its parent's client area.
        int64_t px = 0, py = 0;
        if (Window *p = window_get(w->parent)) client_origin_on_screen(p, &px, &py);
        x += px;
        y += py;
    }
    *lpRect = RECT{saturate32(x), saturate32(y), saturate32(x + w->width), saturate32(y + w->height)};
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    Window *w = window_checked(hWnd);
    if (!w) return FALSE;
    window_set_rect(w, X, Y, nWidth, nHeight, bRepaint != FALSE);
    return TRUE;
}

int WINAPI GetSystemMetrics(int nIndex) {
    int width = 0, height = 0;
    switch (nIndex) {
        case SM_CXSCREEN:
            backend().screen_size(&width, &height);
            return width;
        case SM_CYSCREEN:
            backend().screen_size(&width, &height);
            return height;
        default:
            return 0;
    }
}

}  // extern "C"
