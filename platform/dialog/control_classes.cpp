// What the three control classes share: registration, font measurement,
// default message handling, the classic flat and 3D drawing helpers and
// parent notification. Drawing goes through the stand-in's own GDI calls,
// like any window procedure.
#include "dialog/controls.h"

#include "gdi/gdi_objects.h"

namespace standin {

void ensure_control_classes() {
    struct Entry {
        const char *name;
        WNDPROC proc;
    };
    static const Entry entries[] = {
        {"Button", button_window_proc},
        {"Edit", edit_window_proc},
        {"Static", static_window_proc},
    };
    for (const Entry &e : entries) {
        if (find_class(e.name)) continue;
        WNDCLASSA wc{};
        wc.lpfnWndProc = e.proc;
        wc.lpszClassName = e.name;
        // No brush: each control paints its whole client area itself.
        RegisterClassA(&wc);
    }
}

const char *control_class_for_ordinal(WORD ordinal) {
    switch (ordinal) {
        case 0x0080: return "Button";
        case 0x0081: return "Edit";
        case 0x0082: return "Static";
        default: return nullptr;
    }
}

HFONT control_font(HFONT chosen) {
    if (chosen && gdi_font(chosen)) return chosen;
    return static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

void measure_font(HFONT font, Advances *adv, int *line_height) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, control_font(font));
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        SIZE size{0, 0};
        GetTextExtentPointA(dc, &c, 1, &size);
        (*adv)[b] = size.cx;
    }
    (*adv)['\r'] = 0;
    (*adv)['\n'] = 0;
    (*adv)['\t'] = 4 * (*adv)[' '];
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    *line_height = tm.tmHeight > 0 ? tm.tmHeight : 1;
    SelectObject(dc, old);
    DeleteDC(dc);
}

void fill_solid(HDC dc, int l, int t, int r, int b, COLORREF colour) {
    if (l >= r || t >= b) return;
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT rect{l, t, r, b};
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void frame_3d(HDC dc, int l, int t, int r, int b, COLORREF top_left, COLORREF bottom_right) {
    if (r - l < 1 || b - t < 1) return;
    fill_solid(dc, l, t, r - 1, t + 1, top_left);
    fill_solid(dc, l, t + 1, l + 1, b - 1, top_left);
    fill_solid(dc, l, b - 1, r, b, bottom_right);
    fill_solid(dc, r - 1, t, r, b - 1, bottom_right);
}

void draw_text_run(HDC dc, int x, int y, const char *text, size_t start, size_t end, const Advances &adv) {
    long long pen = x;
    size_t run = start;
    long long run_x = pen;
    auto flush = [&](size_t upto) {
        if (upto > run) TextOutA(dc, static_cast<int>(run_x), y, text + run, static_cast<int>(upto - run));
    };
    for (size_t i = start; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n' || c == '\t') {
            flush(i);
            pen += adv[c];
            run = i + 1;
            run_x = pen;
            continue;
        }
        pen += adv[c];
    }
    flush(end);
}

LRESULT control_default(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcA(hwnd, msg, wParam, lParam);
            InvalidateRect(hwnd, nullptr, FALSE);
            return r;
        }
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void notify_parent(HWND control, WORD code) {
    const HWND parent = GetParent(control);
    if (!parent) return;
    const int id = window_control_id(control);
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

}  // namespace standin
