// The "Edit" control: single- and multi-line text entry on a white field with
// a steady caret while focused, wrapping and scrolling as its style asks.
// The text and caret rules live in EditModel; this file is messages and paint.
#include "dialog/control_edit_model.h"
#include "dialog/controls.h"
#include "user/keyboard.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace standin {

namespace {

#ifndef ES_READONLY
constexpr DWORD ES_READONLY = 0x0800;
#endif

struct EditState {
    EditModel model;
    DWORD style = 0;
    DWORD ex_style = 0;
    HFONT font = nullptr;         // from WM_SETFONT; null: the system font
    int line_height = 16;
    size_t first_line = 0;        // multi-line: top visible line
    long long scroll_x = 0;       // single-line: pixels scrolled off to the left
    bool focused = false;
    int client_w = 0;
    int client_h = 0;
};

int border_of(const EditState &s) {
    if (s.ex_style & WS_EX_CLIENTEDGE) return 2;
    return (s.style & WS_BORDER) ? 1 : 0;
}

// The formatting rectangle: inside the border, with a small margin.
RECT text_rect(const EditState &s) {
    const int b = border_of(s);
    RECT r{b + 2, b + 1, s.client_w - b - 2, s.client_h - b - 1};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

size_t visible_lines(const EditState &s) {
    const RECT r = text_rect(s);
    return static_cast<size_t>(std::max(1, static_cast<int>((r.bottom - r.top) / s.line_height)));
}

void apply_geometry(EditState &s) {
    const RECT r = text_rect(s);
    s.model.width = std::max(1, static_cast<int>(r.right - r.left));
    s.model.relayout();
}

long long total_width(const EditState &s) {
    return text_span_width(s.model.text.data(), 0, s.model.text.size(), s.model.adv);
}

// Scrolls just enough to show the caret.
void keep_caret_visible(EditState &s) {
    if (s.model.multiline) {
        const size_t vis = visible_lines(s);
        const size_t k = s.model.caret_line();
        const size_t n = s.model.lines.size();
        if (s.first_line + vis > n) s.first_line = n > vis ? n - vis : 0;
        if (k < s.first_line) s.first_line = k;
        if (k >= s.first_line + vis) s.first_line = k - vis + 1;
        return;
    }
    const RECT r = text_rect(s);
    const long long w = std::max<long long>(1, r.right - r.left);
    const long long x = s.model.caret_x();
    if (total_width(s) < w) s.scroll_x = 0;
    if (x < s.scroll_x) s.scroll_x = x;
    if (x >= s.scroll_x + w) s.scroll_x = x - w + 1;
}

// Without auto-scrolling, an edit refuses text that it cannot show.
bool fits(const EditState &s) {
    if (s.model.multiline) return (s.style & ES_AUTOVSCROLL) || s.model.lines.size() <= visible_lines(s);
    const RECT r = text_rect(s);
    return (s.style & ES_AUTOHSCROLL) || total_width(s) <= r.right - r.left;
}

void changed(HWND hwnd, EditState &s) {
    keep_caret_visible(s);
    InvalidateRect(hwnd, nullptr, FALSE);
}

// Typed bytes: refused past the limit or when they would not fit.
void type_text(HWND hwnd, EditState &s, const char *bytes, size_t n) {
    if (s.style & ES_READONLY) return;
    // Only an edit that does not scroll can refuse for lack of room: only it
    // needs the state to go back to.
    const bool scrolls = s.model.multiline ? (s.style & ES_AUTOVSCROLL) : (s.style & ES_AUTOHSCROLL);
    std::optional<EditModel> before;
    if (!scrolls) before = s.model;
    if (!s.model.insert(bytes, n)) {
        notify_parent(hwnd, EN_MAXTEXT);
        return;
    }
    if (before && !fits(s)) {
        s.model = std::move(*before);
        notify_parent(hwnd, EN_MAXTEXT);
        return;
    }
    changed(hwnd, s);
    notify_parent(hwnd, EN_CHANGE);
}

void on_char(HWND hwnd, EditState &s, unsigned char c) {
    if (c == '\b') {
        if (!(s.style & ES_READONLY) && s.model.backspace()) {
            changed(hwnd, s);
            notify_parent(hwnd, EN_CHANGE);
        }
        return;
    }
    if (c == '\r') {
        if (s.model.multiline) type_text(hwnd, s, "\r\n", 2);
        return;
    }
    if (c < 0x20 || c == 0x7F) return;  // other control characters type nothing
    const char b = static_cast<char>(c);
    type_text(hwnd, s, &b, 1);
}

bool on_key(HWND hwnd, EditState &s, int vk) {
    EditModel &m = s.model;
    const bool ctrl = keyboard_control();
    switch (vk) {
        case VK_LEFT: m.move_left(); break;
        case VK_RIGHT: m.move_right(); break;
        case VK_UP: m.move_up(); break;
        case VK_DOWN: m.move_down(); break;
        case VK_HOME: ctrl ? m.move_text_start() : m.move_home(); break;
        case VK_END: ctrl ? m.move_text_end() : m.move_end(); break;
        case VK_PRIOR:
        case VK_NEXT:
            for (size_t i = 1; i < visible_lines(s); ++i) vk == VK_PRIOR ? m.move_up() : m.move_down();
            break;
        case VK_DELETE:
            if (!(s.style & ES_READONLY) && m.erase_forward()) {
                changed(hwnd, s);
                notify_parent(hwnd, EN_CHANGE);
            }
            return true;
        default:
            return false;
    }
    changed(hwnd, s);
    return true;
}

void on_click(HWND hwnd, EditState &s, int x, int y) {
    SetFocus(hwnd);
    const RECT r = text_rect(s);
    if (s.model.multiline) {
        const long long row = std::max(0, y - static_cast<int>(r.top)) / s.line_height;
        s.model.move_to(s.first_line + static_cast<size_t>(row), x - r.left);
    } else {
        s.model.move_to(0, x - r.left + s.scroll_x);
    }
    changed(hwnd, s);
}

void paint(HWND hwnd, EditState &s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const COLORREF bg = (enabled && !(s.style & ES_READONLY)) ? kWindowColour : kFaceColour;
    const int w = s.client_w, h = s.client_h;
    const RECT tr = text_rect(s);
    fill_solid(dc, 0, 0, w, h, bg);

    HGDIOBJ old_font = SelectObject(dc, control_font(s.font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? kTextColour : kGreyTextColour);
    const EditModel &m = s.model;
    const int lh = s.line_height;
    if (m.multiline) {
        for (size_t k = s.first_line; k < m.lines.size(); ++k) {
            const long long y = tr.top + static_cast<long long>(k - s.first_line) * lh;
            if (y >= tr.bottom) break;
            draw_text_run(dc, tr.left, static_cast<int>(y), m.text.data(), m.lines[k].start, m.lines[k].end, m.adv);
        }
    } else {
        // Only the bytes around the visible strip are drawn: a long line costs
        // what is shown.
        size_t from = 0;
        long long x = 0;
        const long long shown = tr.right - tr.left;
        while (from < m.text.size() && x + m.adv[static_cast<unsigned char>(m.text[from])] <= s.scroll_x)
            x += m.adv[static_cast<unsigned char>(m.text[from++])];
        size_t to = from;
        long long x_to = x;
        while (to < m.text.size() && x_to < s.scroll_x + shown) x_to += m.adv[static_cast<unsigned char>(m.text[to++])];
        draw_text_run(dc, static_cast<int>(tr.left + x - s.scroll_x), tr.top, m.text.data(), from, to, m.adv);
    }
    SelectObject(dc, old_font);

    // Text is not clipped to the formatting rectangle: the margins are
    // cleared again and the border drawn over the edges.
    fill_solid(dc, 0, 0, w, tr.top, bg);
    fill_solid(dc, 0, tr.bottom, w, h, bg);
    fill_solid(dc, 0, 0, tr.left, h, bg);
    fill_solid(dc, tr.right, 0, w, h, bg);
    if (s.ex_style & WS_EX_CLIENTEDGE) {
        frame_3d(dc, 0, 0, w, h, kShadowColour, kLightColour);
        frame_3d(dc, 1, 1, w - 1, h - 1, kDarkShadowColour, kFaceColour);
    } else if (s.style & WS_BORDER) {
        frame_3d(dc, 0, 0, w, h, kTextColour, kTextColour);
    }

    if (s.focused) {
        const size_t k = m.caret_line();
        long long x = tr.left + m.caret_x();
        long long y = tr.top;
        if (m.multiline) {
            y += (static_cast<long long>(k) - static_cast<long long>(s.first_line)) * lh;
        } else {
            x -= s.scroll_x;
        }
        const bool shown = k >= s.first_line || !m.multiline;
        if (shown && x >= tr.left - 1 && x <= tr.right && y < tr.bottom) {
            const long long bottom = std::min<long long>(y + lh, tr.bottom);
            fill_solid(dc, static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + 1),
                       static_cast<int>(bottom), kTextColour);
        }
    }
    EndPaint(hwnd, &ps);
}

void set_font(HWND hwnd, EditState &s, HFONT font, bool redraw) {
    s.font = font;
    measure_font(font, &s.model.adv, &s.line_height);
    apply_geometry(s);
    keep_caret_visible(s);
    if (redraw) InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT get_text(const EditState &s, WPARAM max, char *buffer) {
    if (!buffer || max == 0) return 0;
    const size_t n = std::min<size_t>(s.model.text.size(), max - 1);
    std::memcpy(buffer, s.model.text.data(), n);
    buffer[n] = '\0';
    return static_cast<LRESULT>(n);
}

EditState *new_edit_state(const CreateParams *cs) {
    auto *fresh = new EditState;
    fresh->style = cs ? static_cast<DWORD>(cs->style) : 0;
    fresh->ex_style = cs ? cs->dwExStyle : 0;
    fresh->model.multiline = (fresh->style & ES_MULTILINE) != 0;
    // Multi-line edits wrap words unless they scroll sideways.
    fresh->model.wrap = fresh->model.multiline && !(fresh->style & (ES_AUTOHSCROLL | WS_HSCROLL));
    fresh->model.limit = kEditDefaultLimit;
    fresh->client_w = cs ? std::max(0, cs->cx) : 0;
    fresh->client_h = cs ? std::max(0, cs->cy) : 0;
    measure_font(nullptr, &fresh->model.adv, &fresh->line_height);
    fresh->model.set_text(cs ? cs->lpszName : nullptr, kEditMaxText);
    apply_geometry(*fresh);
    return fresh;
}

}  // namespace

LRESULT CALLBACK edit_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT done = 0;
    EditState *s = control_opening<EditState>(hwnd, msg, wParam, lParam, &done, new_edit_state);
    if (!s) return done;

    switch (msg) {
        case WM_SIZE:
            s->client_w = LOWORD(lParam);
            s->client_h = HIWORD(lParam);
            apply_geometry(*s);
            keep_caret_visible(*s);
            return 0;
        case WM_SETFONT:
            set_font(hwnd, *s, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
            return 0;
        case WM_SETTEXT:
            s->model.set_text(reinterpret_cast<const char *>(lParam), kEditMaxText);
            s->first_line = 0;
            s->scroll_x = 0;
            InvalidateRect(hwnd, nullptr, FALSE);
            // Windows reports WM_SETTEXT changes of single-line edits only.
            if (!s->model.multiline) notify_parent(hwnd, EN_CHANGE);
            return TRUE;
        case WM_GETTEXT:
            return get_text(*s, wParam, reinterpret_cast<char *>(lParam));
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(s->model.text.size());
        case WM_CHAR:
            on_char(hwnd, *s, static_cast<unsigned char>(wParam));
            return 0;
        case WM_KEYDOWN:
            if (on_key(hwnd, *s, static_cast<int>(wParam))) return 0;
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        case WM_LBUTTONDOWN:
            on_click(hwnd, *s, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            return 0;
        case WM_SETFOCUS:
            s->focused = true;
            InvalidateRect(hwnd, nullptr, FALSE);
            notify_parent(hwnd, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            s->focused = false;
            InvalidateRect(hwnd, nullptr, FALSE);
            notify_parent(hwnd, EN_KILLFOCUS);
            return 0;
        case WM_GETDLGCODE: {
            LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
            // Enter belongs to the dialog's default button unless the edit asks for it.
            if (s->model.multiline && (s->style & ES_WANTRETURN) && wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
            return code;
        }
        case WM_PAINT:
            paint(hwnd, *s);
            return 0;
        case EM_GETSEL: {
            const DWORD pos = static_cast<DWORD>(s->model.caret);
            if (wParam) *reinterpret_cast<DWORD *>(wParam) = pos;
            if (lParam) *reinterpret_cast<DWORD *>(lParam) = pos;
            return MAKELONG(pos, pos);
        }
        case EM_SETSEL: {
            // No selection is kept: the caret goes to the end of the range.
            const int end = static_cast<int>(lParam);
            s->model.set_caret(end < 0 ? s->model.text.size() : static_cast<size_t>(end));
            changed(hwnd, *s);
            return 0;
        }
        case EM_LIMITTEXT:
            s->model.limit = wParam ? static_cast<size_t>(wParam) : static_cast<size_t>(0x7FFFFFFE);
            return 0;
        default:
            return control_default(hwnd, msg, wParam, lParam);
    }
}

bool edit_lines(HWND edit, EditLines *out) {
    const Window *w = window_get(edit);
    const auto *s = w && w->proc == edit_window_proc ? static_cast<const EditState *>(w->user_data) : nullptr;
    if (!s) return false;
    *out = EditLines{s->model.lines, s->model.caret_line(), s->model.multiline ? s->first_line : 0};
    return true;
}

}  // namespace standin
