// The dialog window procedure (the application's dialog procedure first, the
// default dialog handling for what it leaves), EndDialog, and the calls that
// address a dialog's controls by id.
#include "dialog/dialog.h"

#include "dialog/controls.h"
#include "gdi/gdi_objects.h"
#include "user/window.h"
#include "user/window_hooks.h"

#include <algorithm>
#include <vector>

namespace standin {

namespace {

std::vector<DialogState *> &running() {
    static std::vector<DialogState *> r;
    return r;
}

// DM_GETDEFID: the first BS_DEFPUSHBUTTON control.
LRESULT default_id(HWND dialog) {
    for (HWND c : window_children(dialog))
        if (SendMessageA(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
            return MAKELONG(window_control_id(c), DC_HASDEFID);
    return 0;
}

LRESULT default_handling(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, DialogState *s) {
    switch (msg) {
        case WM_CLOSE:
            // A dialog is never destroyed by closing: the close box means "cancel".
            dialog_cancel(hwnd);
            return 0;
        case WM_SETFONT:
            if (s) s->font = reinterpret_cast<HFONT>(wParam);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(s ? s->font : nullptr);
        case DM_GETDEFID:
            return default_id(hwnd);
        case WM_SETFOCUS:
            // The dialog itself holds nothing to type into: pass the focus on.
            if (HWND first = dialog_first_tab_stop(hwnd)) SetFocus(first);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

void dialog_register(DialogState *state) { running().push_back(state); }

void dialog_unregister(DialogState *state) {
    auto &r = running();
    r.erase(std::remove(r.begin(), r.end(), state), r.end());
}

DialogState *dialog_find(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (DialogState *s : running())
        if (s->hwnd == hwnd) return s;
    return nullptr;
}

void ensure_dialog_class() {
    ensure_control_classes();
    if (find_class(kDialogClassName)) return;
    // One brush for the life of the process: classes come and go with resets.
    static HBRUSH face = nullptr;
    if (!gdi_brush(face)) face = CreateSolidBrush(kFaceColour);
    WNDCLASSA wc{};
    wc.lpfnWndProc = dialog_window_proc;
    wc.hbrBackground = face;
    wc.lpszClassName = kDialogClassName;
    RegisterClassA(&wc);
}

LRESULT CALLBACK dialog_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DialogState *s = dialog_find(hwnd);
    // A dialog destroyed before EndDialog: wake its modal loop so it can see that.
    if (msg == WM_NCDESTROY && s && !s->ended && !s->tearing_down) PostMessageA(nullptr, WM_NULL, 0, 0);
    if (s && s->proc) {
        const INT_PTR handled = s->proc(hwnd, msg, wParam, lParam);
        if (handled) return handled;
        s = dialog_find(hwnd);  // the procedure may have ended a nested dialog
    }
    if (s && s->class_proc) {
        // Settings the dialog manager keeps must not be lost to a foreign procedure.
        if (msg == WM_SETFONT) s->font = reinterpret_cast<HFONT>(wParam);
        if (msg == WM_CLOSE) {
            dialog_cancel(hwnd);
            return 0;
        }
        return s->class_proc(hwnd, msg, wParam, lParam);
    }
    return default_handling(hwnd, msg, wParam, lParam, s);
}

HWND dialog_first_tab_stop(HWND dialog) {
    for (HWND c : window_children(dialog)) {
        const Window *w = window_get(c);
        if (w && w->visible && w->enabled && (w->style & WS_TABSTOP)) return c;
    }
    return nullptr;
}

void dialog_cancel(HWND dialog) {
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    // A disabled Cancel button means cancelling is not allowed now.
    if (cancel && !IsWindowEnabled(cancel)) return;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
}

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    DialogState *s = dialog_find(hDlg);
    if (!s || !IsWindow(hDlg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    s->ended = true;
    s->result = nResult;
    // Wakes the modal loop should it be waiting (EndDialog from outside any dispatch).
    PostMessageA(hDlg, WM_NULL, 0, 0);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    if (!window_checked(hDlg)) return nullptr;
    for (HWND c : window_children(hDlg))
        if (window_control_id(c) == nIDDlgItem) return c;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (!lpString || cchMax <= 0) return 0;
    lpString[0] = '\0';
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (!item) return 0;
    const LRESULT n =
        SendMessageA(item, WM_GETTEXT, static_cast<WPARAM>(cchMax), reinterpret_cast<LPARAM>(lpString));
    // A control that answers with nonsense still leaves a terminated string.
    if (n <= 0) {
        lpString[0] = '\0';
        return 0;
    }
    if (n >= cchMax) {
        lpString[cchMax - 1] = '\0';
        return static_cast<UINT>(cchMax - 1);
    }
    return static_cast<UINT>(n);
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (!item) return FALSE;
    return SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

}  // extern "C"
