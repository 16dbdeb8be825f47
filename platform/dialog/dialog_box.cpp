// DialogBoxIndirectParamA: builds a dialog and its controls from an in-memory
// template (dialog units, placed from the owner's client area), runs the
// modal loop with the owner disabled, and tears it down; on the window core.
#include "dialog/dialog.h"

#include "dialog/controls.h"
#include "dialog/dialog_template.h"
#include "gdi/target.h"
#include "user/window.h"
#include "user/window_hooks.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace standin {

namespace {

constexpr INT_PTR kFailed = -1;

void complain(const std::string &why) { std::fprintf(stderr, "standin: DialogBoxIndirectParamA: %s\n", why.c_str()); }

// The class a template item names, or null (with a complaint).
const char *item_class(const DialogItemTemplate &item) {
    if (item.cls.kind == TemplateName::Kind::Ordinal) {
        if (const char *name = control_class_for_ordinal(item.cls.ordinal)) return name;
        char buf[64];
        std::snprintf(buf, sizeof buf, "control class 0x%04X is not available", item.cls.ordinal);
        complain(buf);
        return nullptr;
    }
    if (!find_class(item.cls.name.c_str())) {
        complain("no window class \"" + item.cls.name + "\" for a control");
        return nullptr;
    }
    return item.cls.name.c_str();
}

// The template's dialog class; null (with a complaint) when it is not registered.
const WindowClass *dialog_class(const DialogTemplate &t) {
    switch (t.cls.kind) {
        case TemplateName::Kind::None:
            return find_class(kDialogClassName);
        case TemplateName::Kind::Ordinal:
            if (const WindowClass *c = find_class(MAKEINTRESOURCEA(t.cls.ordinal))) return c;
            complain("the dialog class ordinal is not registered");
            return nullptr;
        case TemplateName::Kind::Name:
            if (const WindowClass *c = find_class(t.cls.name.c_str())) return c;
            complain("no window class \"" + t.cls.name + "\" for the dialog");
            return nullptr;
    }
    return nullptr;
}

HFONT create_template_font(const DialogTemplate &t) {
    // Points at 96 pixels per inch; a negative height asks for the character height.
    const int height = -mul_div(t.point_size, 96, 72);
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, t.face.c_str());
}

// Screen rectangle of the dialog: x/y from the owner's client area (or the
// screen), cx/cy the client size.
RECT dialog_rect(const DialogTemplate &t, HWND owner, const DialogState &s) {
    const int x = dialog_units_to_pixels_x(t.x, s.base_x);
    const int y = dialog_units_to_pixels_y(t.y, s.base_y);
    const int w = dialog_units_to_pixels_x(t.cx, s.base_x);
    const int h = dialog_units_to_pixels_y(t.cy, s.base_y);
    POINT origin{0, 0};
    if (owner) window_client_origin(owner, &origin);
    return RECT{saturate32(int64_t{origin.x} + x), saturate32(int64_t{origin.y} + y),
                saturate32(int64_t{origin.x} + x + w), saturate32(int64_t{origin.y} + y + h)};
}

bool create_controls(HINSTANCE instance, const DialogTemplate &t, const DialogState &s) {
    for (const DialogItemTemplate &item : t.items) {
        const char *cls = item_class(item);
        if (!cls) return false;
        // An ordinal title names a resource (an icon), which the stand-in has none of.
        const char *title = item.title.kind == TemplateName::Kind::Name ? item.title.name.c_str() : "";
        const DWORD style = (item.style | WS_CHILD) & ~static_cast<DWORD>(WS_POPUP);
        HWND c = CreateWindowExA(item.ex_style, cls, title, style, dialog_units_to_pixels_x(item.x, s.base_x),
                                 dialog_units_to_pixels_y(item.y, s.base_y),
                                 dialog_units_to_pixels_x(item.cx, s.base_x),
                                 dialog_units_to_pixels_y(item.cy, s.base_y), s.hwnd,
                                 reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)), instance,
                                 const_cast<BYTE *>(item.data));
        if (!c) {
            complain(std::string("creating a \"") + cls + "\" control failed");
            return false;
        }
        if (s.font) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), FALSE);
    }
    return true;
}

struct LoopEnd {
    bool quit = false;  // WM_QUIT ended the loop
    int quit_code = 0;
};

LoopEnd modal_loop(DialogState &s) {
    LoopEnd end;
    MSG msg;
    while (!s.ended && IsWindow(s.hwnd)) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            end.quit = true;
            end.quit_code = static_cast<int>(msg.wParam);
            break;
        }
        if (got < 0) break;
        if (dialog_key_message(s.hwnd, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return end;
}

}  // namespace

}  // namespace standin

using namespace standin;

extern "C" INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate,
                                                  HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    // An invalid owner gives 0, not -1, as Windows keeps it for compatibility.
    if (hWndParent && !IsWindow(hWndParent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    DialogTemplate t;
    std::string why;
    if (!parse_dialog_template(hDialogTemplate, &t, &why)) {
        complain("bad template: " + why);
        SetLastError(ERROR_INVALID_PARAMETER);
        return kFailed;
    }
    if (t.menu.kind != TemplateName::Kind::None) {
        complain("the template names a menu resource; the stand-in has no resources");
        return kFailed;
    }
    ensure_dialog_class();
    const WindowClass *cls = dialog_class(t);
    if (!cls) return kFailed;

    DialogState s;
    s.proc = lpDialogFunc;
    if (t.has_font) s.font = create_template_font(t);
    dialog_base_units(s.font, &s.base_x, &s.base_y);
    const RECT r = dialog_rect(t, hWndParent, s);

    // A modal dialog is a top-level window whatever the template says.
    const DWORD style = t.style & ~static_cast<DWORD>(WS_VISIBLE | WS_CHILD);
    const HWND dlg = CreateWindowExA(t.ex_style, cls->name.c_str(), t.title.c_str(), style, r.left, r.top,
                                     r.right - r.left, r.bottom - r.top, hWndParent, nullptr, hInstance, nullptr);
    if (!dlg) {
        complain("creating the dialog window failed");
        if (s.font) DeleteObject(s.font);
        return kFailed;
    }
    s.hwnd = dlg;
    if (cls->proc != dialog_window_proc) s.class_proc = window_set_proc(dlg, dialog_window_proc);
    dialog_register(&s);

    INT_PTR result = kFailed;
    LoopEnd end;
    if (s.font) SendMessageA(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), FALSE);
    if (create_controls(hInstance, t, s) && IsWindow(dlg)) {
        const LRESULT focus_it =
            SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog_first_tab_stop(dlg)), dwInitParam);
        if (focus_it && IsWindow(dlg)) {
            // The first tab stop again: WM_INITDIALOG may have disabled it.
            if (HWND first = dialog_first_tab_stop(dlg)) SetFocus(first);
        }
        HWND owner = window_owner(dlg);
        const bool disabled_owner = owner && !s.ended && IsWindowEnabled(owner);
        if (disabled_owner) EnableWindow(owner, FALSE);
        if (!s.ended && IsWindow(dlg)) {
            ShowWindow(dlg, SW_SHOWNORMAL);
            end = modal_loop(s);
        }
        // The owner is enabled again first, so that it takes the activation back.
        if (disabled_owner && IsWindow(owner)) EnableWindow(owner, TRUE);
        if (s.ended) result = s.result;
    }
    s.tearing_down = true;
    if (IsWindow(dlg)) DestroyWindow(dlg);
    dialog_unregister(&s);
    if (s.font) DeleteObject(s.font);
    if (end.quit) PostQuitMessage(end.quit_code);
    return result;
}
