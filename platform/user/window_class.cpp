// Window classes: RegisterClassA with its checks and atoms, lookup by name
// (case-insensitive) or atom for CreateWindowExA, and the icon and cursor
// handles a class names (the host window manager draws both).
#include "user/window.h"

#include "user/user_state.h"

#include <strings.h>

namespace standin {

namespace {

constexpr size_t kMaxClassName = 255;
constexpr size_t kMaxClasses = 0x3FFF;  // atoms 0xC000..0xFFFF

WindowClasses &classes() { return user_state().classes; }

bool is_atom(LPCSTR name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

std::string class_key(LPCSTR name) {
    // Appended rather than "#" + ...: GCC 12 at -O3 warns falsely on that form.
    if (is_atom(name)) return std::string("#").append(std::to_string(reinterpret_cast<uintptr_t>(name)));
    return std::string(name);
}

}  // namespace

const WindowClass *find_class(LPCSTR name) {
    if (!name) return nullptr;
    for (const auto &c : classes()) {
        if (is_atom(name)) {
            if (c->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))) return c.get();
        } else if (strcasecmp(c->name.c_str(), name) == 0) {
            return c.get();
        }
    }
    return nullptr;
}

}  // namespace standin

using namespace standin;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA *lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpfnWndProc || !lpWndClass->lpszClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string name = class_key(lpWndClass->lpszClassName);
    if (name.empty() || name.size() > kMaxClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (find_class(name.c_str())) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto &all = classes();
    if (all.size() >= kMaxClasses) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    auto c = std::make_unique<WindowClass>();
    c->name = name;
    c->atom = static_cast<ATOM>(0xC000 + all.size());
    c->style = lpWndClass->style;
    c->proc = lpWndClass->lpfnWndProc;
    c->background = lpWndClass->hbrBackground;
    const ATOM atom = c->atom;
    all.push_back(std::move(c));
    return atom;
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    (void)hInstance;
    (void)lpIconName;
    // Host windows show the window manager's icon; callers only need a handle.
    static HICON__ icon{};
    return &icon;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    (void)hInstance;
    (void)lpCursorName;
    static HICON__ cursor{};
    return &cursor;
}

}  // extern "C"
