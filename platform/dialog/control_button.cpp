// The "Button" control as a push button: raised classic 3D face, centred
// text, a dark frame on the default (or focused) button, a pushed look while
// the mouse button or Space is held, and BN_CLICKED to the parent on release.
#include "dialog/controls.h"
#include "user/mnemonic.h"

namespace standin {

namespace {

struct ButtonState {
    HFONT font = nullptr;  // from WM_SETFONT; null: the system font
    bool pushed = false;   // drawn pressed
    bool mouse_down = false;
    bool space_down = false;
};

DWORD style_of(HWND hwnd) {
    const Window *w = window_get(hwnd);
    return w ? w->style : 0;
}

bool is_push_button(HWND hwnd) {
    return (SendMessageA(hwnd, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// The dark frame marks the button that Enter would press: the focused push
// button, or else the default push button.
bool looks_default(HWND hwnd) {
    const HWND focus = GetFocus();
    if (focus == hwnd) return true;
    if ((style_of(hwnd) & BS_TYPEMASK) != BS_DEFPUSHBUTTON) return false;
    return !(focus && GetParent(focus) == GetParent(hwnd) && is_push_button(focus));
}

// Focus moving between push buttons moves the dark frame: repaint them all.
void repaint_push_buttons(HWND hwnd) {
    const HWND parent = GetParent(hwnd);
    if (!parent) return;
    for (HWND sibling : window_children(parent))
        if (sibling == hwnd || is_push_button(sibling)) InvalidateRect(sibling, nullptr, FALSE);
}

void set_pushed(HWND hwnd, ButtonState &s, bool pushed) {
    if (s.pushed == pushed) return;
    s.pushed = pushed;
    InvalidateRect(hwnd, nullptr, FALSE);
}

void dotted_frame(HDC dc, int l, int t, int r, int b) {
    for (int x = l; x < r; x += 2) {
        SetPixel(dc, x, t, kTextColour);
        SetPixel(dc, x, b - 1, kTextColour);
    }
    for (int y = t; y < b; y += 2) {
        SetPixel(dc, l, y, kTextColour);
        SetPixel(dc, r - 1, y, kTextColour);
    }
}

void paint(HWND hwnd, const ButtonState &s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    RECT rc;
    GetClientRect(hwnd, &rc);
    int l = 0, t = 0, r = rc.right, b = rc.bottom;
    fill_solid(dc, l, t, r, b, kFaceColour);
    if (looks_default(hwnd)) {
        frame_3d(dc, l, t, r, b, kTextColour, kTextColour);
        ++l, ++t, --r, --b;
    }
    if (s.pushed) {
        frame_3d(dc, l, t, r, b, kShadowColour, kShadowColour);
    } else {
        frame_3d(dc, l, t, r, b, kLightColour, kDarkShadowColour);
        frame_3d(dc, l + 1, t + 1, r - 1, b - 1, kFaceColour, kShadowColour);
    }

    char raw[256];
    const int n = GetWindowTextA(hwnd, raw, sizeof raw);
    const MnemonicText shown = strip_mnemonic(std::string_view(raw, static_cast<size_t>(n)));
    const std::string &text = shown.text;
    const size_t underline = shown.underline;
    HGDIOBJ old_font = SelectObject(dc, control_font(s.font));
    SIZE size{0, 0};
    GetTextExtentPointA(dc, text.data(), static_cast<int>(text.size()), &size);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int shift = s.pushed ? 1 : 0;
    const int x = (rc.right - size.cx) / 2 + shift;
    const int y = (rc.bottom - tm.tmHeight) / 2 + shift;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? kTextColour : kGreyTextColour);
    TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
    if (underline != std::string::npos) {
        SIZE before{0, 0}, glyph{0, 0};
        GetTextExtentPointA(dc, text.data(), static_cast<int>(underline), &before);
        GetTextExtentPointA(dc, text.data() + underline, 1, &glyph);
        fill_solid(dc, x + before.cx, y + tm.tmAscent + 1, x + before.cx + glyph.cx, y + tm.tmAscent + 2,
                   enabled ? kTextColour : kGreyTextColour);
    }
    SelectObject(dc, old_font);
    if (GetFocus() == hwnd) dotted_frame(dc, 4, 4, rc.right - 4, rc.bottom - 4);
    EndPaint(hwnd, &ps);
}

void click(HWND hwnd) { notify_parent(hwnd, BN_CLICKED); }

}  // namespace

LRESULT CALLBACK button_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT done = 0;
    ButtonState *s = control_opening<ButtonState>(hwnd, msg, wParam, lParam, &done,
                                                  [](const CreateParams *) { return new ButtonState; });
    if (!s) return done;

    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_BUTTON |
                   ((style_of(hwnd) & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        case WM_SETFONT:
            s->font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            s->mouse_down = true;
            set_pushed(hwnd, *s, true);
            return 0;
        case WM_LBUTTONUP: {
            const bool was_down = s->mouse_down;
            s->mouse_down = false;
            set_pushed(hwnd, *s, s->space_down);
            // The release reached this button, so it happened over it.
            if (was_down) click(hwnd);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_SPACE && !(lParam & (1L << 30))) {
                s->space_down = true;
                set_pushed(hwnd, *s, true);
            }
            return 0;
        case WM_KEYUP:
            if (wParam == VK_SPACE && s->space_down) {
                s->space_down = false;
                set_pushed(hwnd, *s, s->mouse_down);
                click(hwnd);
            }
            return 0;
        case WM_CHAR:
            return 0;
        case WM_SETFOCUS:
            repaint_push_buttons(hwnd);
            return 0;
        case WM_KILLFOCUS:
            s->mouse_down = false;
            s->space_down = false;
            set_pushed(hwnd, *s, false);
            repaint_push_buttons(hwnd);
            return 0;
        case BM_GETSTATE:
            return (s->pushed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
        case BM_SETSTATE:
            if (!wParam) s->mouse_down = s->space_down = false;
            set_pushed(hwnd, *s, wParam != 0);
            return 0;
        case BM_CLICK:
            click(hwnd);
            return 0;
        case WM_PAINT:
            paint(hwnd, *s);
            return 0;
        default:
            return control_default(hwnd, msg, wParam, lParam);
    }
}

}  // namespace standin
