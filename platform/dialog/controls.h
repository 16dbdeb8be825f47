// The dialog controls (Button, Edit, Static): their class registration, the
// messages and notification codes they share with dialogs, what their window
// procedures have in common, and drawing helpers built on the stand-in's own
// GDI calls in the system colours (user/sys_colours.h).
#pragma once

#include <windows.h>

#include "dialog/control_text_layout.h"
#include "user/sys_colours.h"
#include "user/window.h"
#include "user/window_hooks.h"

// Control messages and codes beyond the subset in windows.h (Win32 values).
#ifndef EM_GETSEL
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_LIMITTEXT 0x00C5
#endif
#ifndef EN_SETFOCUS
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_MAXTEXT 0x0501
#endif
#ifndef DLGC_HASSETSEL
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000
#endif
#ifndef SS_CENTER
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_TYPEMASK 0x0000001FL
#define SS_NOPREFIX 0x00000080L
#endif
#ifndef BS_TYPEMASK
#define BS_TYPEMASK 0x0000000FL
#endif
#ifndef WS_EX_CLIENTEDGE
#define WS_EX_CLIENTEDGE 0x00000200L
#endif

namespace standin {

// Characters an edit control takes before refusing more typing (Windows'
// default limit); EM_LIMITTEXT changes it.
constexpr size_t kEditDefaultLimit = 30000;
// Text set by WM_SETTEXT is cut here, whatever the typing limit.
constexpr size_t kEditMaxText = 1 << 16;

// The window procedures of the three classes.
LRESULT CALLBACK button_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK edit_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK static_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// How each of them opens: WM_NCCREATE attaches the State that `make` builds
// from the CREATESTRUCT, WM_NCDESTROY deletes it, WM_GETFONT answers with
// its `font`, and a window without state goes to DefWindowProcA. Returns the
// state for the procedure's own switch, or null when the message is done
// (*result is then its result).
template <typename State, typename Make>
State *control_opening(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT *result, Make make) {
    auto *s = static_cast<State *>(window_user_data(hwnd));
    *result = 0;
    switch (msg) {
        case WM_NCCREATE:
            delete s;
            window_set_user_data(hwnd, make(reinterpret_cast<const CreateParams *>(lParam)));
            *result = TRUE;
            return nullptr;
        case WM_NCDESTROY:
            window_set_user_data(hwnd, nullptr);
            delete s;
            return nullptr;
        case WM_GETFONT:
            *result = reinterpret_cast<LRESULT>(s ? s->font : nullptr);
            return nullptr;
        default:
            if (!s) *result = DefWindowProcA(hwnd, msg, wParam, lParam);
            return s;
    }
}
// And how each of them ends, for what it leaves: a new text or enabled state
// repaints the control, WM_ERASEBKGND is done (WM_PAINT covers every pixel),
// the rest goes to DefWindowProcA.
LRESULT control_default(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// What an edit control shows, for tests: its lines as byte ranges of its
// text, the line of the caret and the top visible line. False for a window
// that is not an edit.
struct EditLines {
    std::vector<TextLine> lines;
    size_t caret_line = 0;
    size_t first_visible = 0;
};
bool edit_lines(HWND edit, EditLines *out);

// Registers "Button", "Edit" and "Static" unless a class of that name exists
// (they go with every class when the stand-in's state is reset).
void ensure_control_classes();
// Class of a template ordinal (0x0080 Button, 0x0081 Edit, 0x0082 Static),
// or null for one the stand-in does not offer.
const char *control_class_for_ordinal(WORD ordinal);

// The font a control draws with: the one given by WM_SETFONT if it is still
// a live font, else the system font.
HFONT control_font(HFONT chosen);
// Advances of every byte and the line height of `font` (null: system font).
void measure_font(HFONT font, Advances *adv, int *line_height);

// Drawing helpers on a DC in client coordinates.
void fill_solid(HDC dc, int l, int t, int r, int b, COLORREF colour);
// A one-pixel frame: top and left in `top_left`, bottom and right in `bottom_right`.
void frame_3d(HDC dc, int l, int t, int r, int b, COLORREF top_left, COLORREF bottom_right);
// Draws text[start, end) with its top-left at (x, y), skipping the bytes that
// have no glyph in a control ('\r', '\n', tab), which still advance by `adv`.
void draw_text_run(HDC dc, int x, int y, const char *text, size_t start, size_t end, const Advances &adv);

// WM_COMMAND to the parent with the control's id and a notification code.
void notify_parent(HWND control, WORD code);

}  // namespace standin
