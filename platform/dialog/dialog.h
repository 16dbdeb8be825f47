// Internals of the dialog manager shared by its files: the state of a running
// modal dialog, the dialog window procedure with its default handling, the
// keyboard interface of the modal loop, and dialog units.
#pragma once

#include <windows.h>

namespace standin {

// The class of dialogs whose template names none.
constexpr const char *kDialogClassName = "#32770";

struct DialogState {
    HWND hwnd = nullptr;
    DLGPROC proc = nullptr;        // the application's dialog procedure (may be null)
    WNDPROC class_proc = nullptr;  // a template-named class: its procedure takes what `proc` leaves
    HFONT font = nullptr;          // the DS_SETFONT font (owned), or null: the system font
    int base_x = 8;                // dialog base units of that font, pixels
    int base_y = 16;
    bool ended = false;            // EndDialog was called
    bool tearing_down = false;     // DialogBoxIndirectParamA is destroying it
    INT_PTR result = 0;
};

// Running dialogs, innermost last.
void dialog_register(DialogState *state);
void dialog_unregister(DialogState *state);
DialogState *dialog_find(HWND hwnd);

// Registers the standard dialog class (and the control classes) if needed.
void ensure_dialog_class();
LRESULT CALLBACK dialog_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The keyboard interface of the modal loop: Tab, arrows, Enter and Escape for
// a dialog's windows. True when it handled the message (it is then neither
// translated nor dispatched).
bool dialog_key_message(HWND dialog, const MSG &msg);
// Escape, the close box and WM_CLOSE: WM_COMMAND(IDCANCEL) unless an IDCANCEL
// control exists and is disabled.
void dialog_cancel(HWND dialog);
// The first visible, enabled WS_TABSTOP control, or null.
HWND dialog_first_tab_stop(HWND dialog);

// Dialog base units of `font` (null: the system font): x is the average width
// of the 52 letters A-Z and a-z, rounded; y is the font's height.
void dialog_base_units(HFONT font, int *base_x, int *base_y);
// MulDiv(v, base, 4) or MulDiv(v, base, 8): Windows' rounding multiply-divide.
int dialog_units_to_pixels_x(int v, int base_x);
int dialog_units_to_pixels_y(int v, int base_y);
int mul_div(int number, int numerator, int denominator);

}  // namespace standin
