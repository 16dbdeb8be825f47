// Update regions and the paint cycle: InvalidateRect/ValidateRect keep one
// bounding rectangle per window (so any number of invalidations make one
// WM_PAINT), BeginPaint erases, validates and clips, and GetDC/ReleaseDC hand
// out window DCs (gdi_objects.h) that draw through the surface hooks.
#include "user/window.h"

#include "gdi/gdi_objects.h"
#include "user/rect.h"

#include <cstring>

namespace standin {

namespace {

// Subtracts `v` from the bounding rectangle where the result is still a
// rectangle (v covers a full strip along one side); otherwise keeps it whole,
// which only costs a larger repaint.
void subtract(RECT *u, const RECT &v) {
    if (rect_contains(v, *u)) {
        *u = RECT{0, 0, 0, 0};
        return;
    }
    const bool full_rows = v.left <= u->left && v.right >= u->right;
    const bool full_cols = v.top <= u->top && v.bottom >= u->bottom;
    if (full_rows && v.top <= u->top && v.bottom > u->top) u->top = v.bottom;
    else if (full_rows && v.bottom >= u->bottom && v.top < u->bottom) u->bottom = v.top;
    else if (full_cols && v.left <= u->left && v.right > u->left) u->left = v.right;
    else if (full_cols && v.right >= u->right && v.left < u->right) u->right = v.left;
    if (rect_empty(*u)) *u = RECT{0, 0, 0, 0};
}

HWND find_paint(HWND hwnd) {
    Window *w = window_get(hwnd);
    if (!w || !w->visible) return nullptr;
    if (!rect_empty(w->update)) return hwnd;
    for (HWND c : w->children)
        if (HWND found = find_paint(c)) return found;
    return nullptr;
}

}  // namespace

void invalidate_client(Window *w, const RECT *rect, bool erase) {
    if (!w || !effectively_visible(w)) return;
    const RECT client = client_rect(w);
    const RECT r = rect ? rect_intersect(*rect, client) : client;
    if (rect_empty(r)) return;
    rect_union(&w->update, r);
    if (erase) w->erase = true;
}

void invalidate_tree(Window *w, bool erase) {
    if (!w) return;
    invalidate_client(w, nullptr, erase);
    for (HWND c : w->children) {
        Window *cw = window_get(c);
        if (cw && cw->visible) invalidate_tree(cw, erase);
    }
}

HWND next_window_to_paint() {
    for (HWND top : top_level_windows())
        if (HWND found = find_paint(top)) return found;
    return nullptr;
}

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT *lpRect, BOOL bErase) {
    if (!hWnd) {
        // Win32 repaints every window for a null handle.
        for (HWND top : top_level_windows()) invalidate_tree(window_get(top), bErase != FALSE);
        return TRUE;
    }
    Window *w = window_checked(hWnd);
    if (!w) return FALSE;
    invalidate_client(w, lpRect, bErase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT *lpRect) {
    Window *w = window_checked(hWnd);
    if (!w) return FALSE;
    if (!lpRect) {
        w->update = RECT{0, 0, 0, 0};
    } else {
        subtract(&w->update, *lpRect);
    }
    if (rect_empty(w->update)) w->erase = false;
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd) {
    // A null window gives a DC of the screen, which the stand-in never draws on.
    if (hWnd && !window_checked(hWnd)) return nullptr;
    return reinterpret_cast<HDC>(static_cast<GdiObject *>(gdi_new_window_dc(hWnd)));
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    Dc *dc = gdi_dc(hDC);
    if (!dc || dc->kind != DcKind::Window || dc->hwnd != hWnd) return 0;
    return gdi_delete_dc(dc) ? 1 : 0;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    Window *w = window_checked(hWnd);
    if (!w || !lpPaint) return nullptr;
    const RECT painted = w->update;
    const bool erase = w->erase;
    w->update = RECT{0, 0, 0, 0};
    w->erase = false;

    Dc *dc = gdi_new_window_dc(hWnd);
    dc->has_clip = true;
    dc->clip = painted;
    const HDC hdc = reinterpret_cast<HDC>(static_cast<GdiObject *>(dc));

    // Painter's order: children under the painted part paint again afterwards.
    for (HWND c : w->children) {
        Window *cw = window_get(c);
        if (!cw || !cw->visible) continue;
        RECT r = rect_intersect(painted, outer_rect(cw));
        if (rect_empty(r)) continue;
        // In the child's client coordinates; the rectangle overlaps the child,
        // so the differences fit in 32 bits.
        r = RECT{static_cast<LONG>(int64_t{r.left} - cw->x), static_cast<LONG>(int64_t{r.top} - cw->y),
                 static_cast<LONG>(int64_t{r.right} - cw->x), static_cast<LONG>(int64_t{r.bottom} - cw->y)};
        invalidate_client(cw, &r, true);
    }

    std::memset(lpPaint, 0, sizeof *lpPaint);
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = painted;
    if (erase) {
        // fErase stays set when nobody erased (no class brush, or the handler returned 0).
        lpPaint->fErase = send_message(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
    }
    return hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT *lpPaint) {
    if (!lpPaint) return FALSE;
    Dc *dc = gdi_dc(lpPaint->hdc);
    if (dc && dc->kind == DcKind::Window && dc->hwnd == hWnd) gdi_delete_dc(dc);
    return TRUE;
}

}  // extern "C"
