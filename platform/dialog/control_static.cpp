// The "Static" control as a text label: its window text word-wrapped onto as
// many lines as the box holds (left, centred or right), on the dialog
// background, with '&' mnemonic prefixes unless SS_NOPREFIX.
#include "dialog/controls.h"
#include "user/mnemonic.h"

namespace standin {

namespace {

#ifndef SS_SIMPLE
constexpr DWORD SS_SIMPLE = 0x0000000B;
constexpr DWORD SS_LEFTNOWORDWRAP = 0x0000000C;
#endif

struct StaticState {
    HFONT font = nullptr;  // from WM_SETFONT; null: the system font
    Advances adv{};
    int line_height = 16;
};

void paint(HWND hwnd, const StaticState &s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    RECT rc;
    GetClientRect(hwnd, &rc);
    fill_solid(dc, 0, 0, rc.right, rc.bottom, kFaceColour);

    const Window *w = window_get(hwnd);
    const DWORD style = w ? w->style : 0;
    const DWORD type = style & SS_TYPEMASK;
    const bool text_type = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
                           type == SS_LEFTNOWORDWRAP;
    if (w && text_type) {
        const MnemonicText shown = (style & SS_NOPREFIX) ? MnemonicText{w->text} : strip_mnemonic(w->text);
        const std::string &text = shown.text;
        const size_t underline = shown.underline;
        const bool wrap = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        const std::vector<TextLine> lines = layout_lines(text.data(), text.size(), s.adv, rc.right, wrap);
        const bool enabled = IsWindowEnabled(hwnd) != FALSE;
        HGDIOBJ old_font = SelectObject(dc, control_font(s.font));
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, enabled ? kTextColour : kGreyTextColour);
        long long y = 0;
        for (const TextLine &line : lines) {
            if (y >= rc.bottom) break;  // as many lines as the box holds
            // Spaces at a soft break hang past the edge: they do not shift centred lines.
            size_t end = line.end;
            while (end > line.start && text[end - 1] == ' ') --end;
            const long long width = text_span_width(text.data(), line.start, end, s.adv);
            long long x = 0;
            if (type == SS_CENTER) x = (rc.right - width) / 2;
            if (type == SS_RIGHT) x = rc.right - width;
            draw_text_run(dc, static_cast<int>(x), static_cast<int>(y), text.data(), line.start, line.end, s.adv);
            if (underline >= line.start && underline < line.end) {
                const long long ux = x + text_span_width(text.data(), line.start, underline, s.adv);
                const int uw = s.adv[static_cast<unsigned char>(text[underline])];
                fill_solid(dc, static_cast<int>(ux), static_cast<int>(y + tm.tmAscent + 1),
                           static_cast<int>(ux + uw), static_cast<int>(y + tm.tmAscent + 2),
                           enabled ? kTextColour : kGreyTextColour);
            }
            y += s.line_height;
        }
        SelectObject(dc, old_font);
    }
    EndPaint(hwnd, &ps);
}

}  // namespace

LRESULT CALLBACK static_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT done = 0;
    StaticState *s = control_opening<StaticState>(hwnd, msg, wParam, lParam, &done, [](const CreateParams *) {
        auto *fresh = new StaticState;
        measure_font(nullptr, &fresh->adv, &fresh->line_height);
        return fresh;
    });
    if (!s) return done;

    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case WM_SETFONT:
            s->font = reinterpret_cast<HFONT>(wParam);
            measure_font(s->font, &s->adv, &s->line_height);
            if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_SIZE:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_PAINT:
            paint(hwnd, *s);
            return 0;
        default:
            return control_default(hwnd, msg, wParam, lParam);
    }
}

}  // namespace standin
