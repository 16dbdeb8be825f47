// DefWindowProcA and the window-text calls built on it: closing destroys,
// erasing fills with the class brush, painting validates, text is kept per
// window, and system keys go to the menu code.
#include "user/window.h"

#include "gdi/gdi_objects.h"
#include "gdi/target.h"

#include <algorithm>
#include <cstring>

namespace standin {

namespace {

// Window text longer than this is cut, so a bad string cannot eat memory.
constexpr size_t kMaxWindowText = 1 << 16;

LRESULT erase_background(HWND hwnd, HDC hdc) {
    Window *w = window_get(hwnd);
    if (!w) return 0;
    Brush *brush = gdi_brush(w->cls->background);
    if (!brush || brush->hollow) return 0;
    Dc *dc = gdi_dc(hdc);
    if (!dc) return 0;
    Target t;
    if (dc_target(dc, &t)) {
        // The DC's clip (the update rectangle inside BeginPaint) limits the fill.
        if (fill_rect(t, t.cl, t.ct, t.cr, t.cb, t.pixel(brush->color))) target_touched(t, t.cl, t.ct, t.cr, t.cb);
    }
    return 1;
}

LRESULT set_text(HWND hwnd, LPCSTR text) {
    Window *w = window_get(hwnd);
    if (!w) return FALSE;
    w->text = text ? std::string(text, strnlen(text, kMaxWindowText)) : std::string();
    if (!w->is_child() && w->host) backend().set_title(w->host, w->text.c_str());
    return TRUE;
}

LRESULT get_text(HWND hwnd, WPARAM max, LPSTR buffer) {
    Window *w = window_get(hwnd);
    if (!w || !buffer || max == 0) return 0;
    const size_t n = std::min<size_t>(w->text.size(), max - 1);
    std::memcpy(buffer, w->text.data(), n);
    buffer[n] = '\0';
    return static_cast<LRESULT>(n);
}

}  // namespace

}  // namespace standin

using namespace standin;

extern "C" {

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(hWnd);
            return 0;
        case WM_ERASEBKGND:
            return erase_background(hWnd, reinterpret_cast<HDC>(wParam));
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (BeginPaint(hWnd, &ps)) EndPaint(hWnd, &ps);
            return 0;
        }
        case WM_SETTEXT:
            return set_text(hWnd, reinterpret_cast<LPCSTR>(lParam));
        case WM_GETTEXT:
            return get_text(hWnd, wParam, reinterpret_cast<LPSTR>(lParam));
        case WM_GETTEXTLENGTH: {
            Window *w = window_get(hWnd);
            return w ? static_cast<LRESULT>(w->text.size()) : 0;
        }
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_SYSCHAR:
            menu_sys_key(hWnd, Msg, wParam, lParam);
            return 0;
        default:
            return 0;
    }
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!window_checked(hWnd)) return FALSE;
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!window_checked(hWnd)) return 0;
    if (!lpString || nMaxCount <= 0) return 0;
    lpString[0] = '\0';
    return static_cast<int>(
        SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

}  // extern "C"
