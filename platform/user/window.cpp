// Window classes and the life of a window: the handle registry, creation with
// its message sequence (WM_NCCREATE, WM_CREATE, WM_SIZE, then showing), and
// destruction of a window with its children and owned windows.
#include "user/window.h"

#include "user/window_hooks.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

namespace standin {

namespace {

constexpr DWORD kErrorTopLevelChild = 1406;  // ERROR_TLW_WITH_WSCHILD
constexpr size_t kMaxClassName = 255;
constexpr size_t kMaxClasses = 0x3FFF;       // atoms 0xC000..0xFFFF

struct Registry {
    std::unordered_map<uintptr_t, std::unique_ptr<Window>> windows;
    std::vector<HWND> top_levels;
    uintptr_t next_handle = 0x10010;  // even values, as Win32 handles; never reused
    std::vector<std::unique_ptr<WindowClass>> classes;
};

Registry &registry() {
    static Registry r;
    return r;
}

bool is_atom(LPCSTR name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

std::string class_key(LPCSTR name) {
    if (is_atom(name)) return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    return std::string(name);
}

// Subtree of `root` in pre-order (root first).
void collect_tree(HWND root, std::vector<HWND> *out) {
    Window *w = window_get(root);
    if (!w) return;
    out->push_back(root);
    const std::vector<HWND> kids = w->children;
    for (HWND c : kids) collect_tree(c, out);
}

void detach(Window *w) {
    Registry &r = registry();
    if (w->parent) {
        if (Window *p = window_get(w->parent)) {
            auto &v = p->children;
            v.erase(std::remove(v.begin(), v.end(), w->handle), v.end());
        }
    } else {
        auto &v = r.top_levels;
        v.erase(std::remove(v.begin(), v.end(), w->handle), v.end());
    }
}

void default_top_level_rect(int *x, int *y, int *width, int *height, bool default_pos, bool default_size) {
    int sw = 0, sh = 0;
    backend().screen_size(&sw, &sh);
    if (default_pos) {
        // Cascade new windows a little, as Windows does.
        const int n = static_cast<int>(top_level_windows().size() % 8);
        *x = 32 + 24 * n;
        *y = 32 + 24 * n;
    }
    if (default_size) {
        *width = std::max(1, sw * 3 / 4);
        *height = std::max(1, sh * 3 / 4);
    }
}

}  // namespace

// ---- registry ----

Window *window_get(HWND hwnd) {
    if (!hwnd) return nullptr;
    Registry &r = registry();
    auto it = r.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == r.windows.end() ? nullptr : it->second.get();
}

Window *window_checked(HWND hwnd) {
    Window *w = window_get(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

const std::vector<HWND> &top_level_windows() { return registry().top_levels; }

Window *window_new() {
    Registry &r = registry();
    auto w = std::make_unique<Window>();
    const uintptr_t id = r.next_handle;
    r.next_handle += 4;
    w->handle = reinterpret_cast<HWND>(id);
    Window *raw = w.get();
    r.windows.emplace(id, std::move(w));
    return raw;
}

void window_free(HWND hwnd) { registry().windows.erase(reinterpret_cast<uintptr_t>(hwnd)); }

std::vector<HWND> all_windows() {
    std::vector<HWND> out;
    for (const auto &kv : registry().windows) out.push_back(kv.second->handle);
    return out;
}

// ---- tree ----

Window *top_level_of(Window *w) {
    while (w && w->parent) w = window_get(w->parent);
    return w;
}

bool is_descendant(HWND window, HWND ancestor) {
    for (Window *w = window_get(window); w; w = window_get(w->parent))
        if (w->handle == ancestor) return true;
    return false;
}

bool effectively_visible(const Window *w) {
    for (; w; w = window_get(w->parent))
        if (!w->visible) return false;
    return true;
}

bool effectively_enabled(const Window *w) {
    for (; w; w = window_get(w->parent))
        if (!w->enabled) return false;
    return true;
}

// ---- classes ----

const WindowClass *find_class(LPCSTR name) {
    if (!name) return nullptr;
    for (const auto &c : registry().classes) {
        if (is_atom(name)) {
            if (c->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))) return c.get();
        } else if (strcasecmp(c->name.c_str(), name) == 0) {
            return c.get();
        }
    }
    return nullptr;
}

void reset_classes() { registry().classes.clear(); }

// ---- destruction ----

namespace {

void destroy_tree(HWND root) {
    // Owned top-level windows go first, as their owner's destruction demands.
    std::vector<HWND> owned;
    for (HWND t : top_level_windows())
        if (Window *o = window_get(t); o && o->owner == root) owned.push_back(t);
    for (HWND o : owned) DestroyWindow(o);

    Window *w = window_get(root);
    if (!w || w->destroying) return;
    std::vector<HWND> tree;
    collect_tree(root, &tree);
    for (HWND h : tree) window_get(h)->destroying = true;

    if (w->visible) {
        w->visible = false;
        if (w->is_child()) {
            // The parent repaints what the child covered.
            if (Window *p = window_get(w->parent)) {
                const RECT r = outer_rect(w);
                invalidate_client(p, &r, true);
            }
        } else if (w->host) {
            backend().show_host(w->host, false);
        }
    }
    release_focus_from(root);

    for (HWND h : tree) {
        kill_window_timers(h);
        purge_posted_messages(h);
        menu_window_destroyed(h);
    }
    for (HWND h : tree) send_message(h, WM_DESTROY, 0, 0);
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) send_message(*it, WM_NCDESTROY, 0, 0);

    // Anything created under the tree while it was dying goes with it.
    tree.clear();
    collect_tree(root, &tree);
    if (Window *r = window_get(root)) detach(r);
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        Window *x = window_get(*it);
        if (!x) continue;
        kill_window_timers(*it);
        purge_posted_messages(*it);
        if (!x->is_child()) surface_destroy(x);
        window_free(*it);
    }
}

}  // namespace

// ---- helpers for the dialog code (window_hooks.h) ----

std::vector<HWND> window_children(HWND window) {
    Window *w = window_get(window);
    return w ? w->children : std::vector<HWND>{};
}

int window_control_id(HWND window) {
    Window *w = window_get(window);
    if (!w || !w->is_child()) return 0;
    return static_cast<int>(reinterpret_cast<intptr_t>(w->menu));
}

HWND window_owner(HWND window) {
    Window *w = window_get(window);
    return w ? w->owner : nullptr;
}

void *window_user_data(HWND window) {
    Window *w = window_get(window);
    return w ? w->user_data : nullptr;
}

bool window_set_user_data(HWND window, void *data) {
    Window *w = window_get(window);
    if (!w) return false;
    w->user_data = data;
    return true;
}

WNDPROC window_set_proc(HWND window, WNDPROC proc) {
    Window *w = window_get(window);
    if (!w || !proc) return nullptr;
    WNDPROC old = w->proc;
    w->proc = proc;
    return old;
}

}  // namespace standin

using namespace standin;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA *lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpfnWndProc || !lpWndClass->lpszClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Registry &r = registry();
    const std::string name = class_key(lpWndClass->lpszClassName);
    if (name.empty() || name.size() > kMaxClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (find_class(name.c_str())) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    if (r.classes.size() >= kMaxClasses) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    auto c = std::make_unique<WindowClass>();
    c->name = name;
    c->atom = static_cast<ATOM>(0xC000 + r.classes.size());
    c->style = lpWndClass->style;
    c->proc = lpWndClass->lpfnWndProc;
    c->background = lpWndClass->hbrBackground;
    const ATOM atom = c->atom;
    r.classes.push_back(std::move(c));
    return atom;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X,
                            int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
    const WindowClass *cls = find_class(lpClassName);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    Window *parent = nullptr;
    if (hWndParent) {
        parent = window_get(hWndParent);
        if (!parent || parent->destroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    const bool child = (dwStyle & WS_CHILD) != 0;
    if (child && !parent) {
        SetLastError(kErrorTopLevelChild);
        return nullptr;
    }
    install_surface_hooks();

    int x = X, y = Y, width = nWidth, height = nHeight;
    if (child) {
        // Children take CW_USEDEFAULT as 0 and cannot be smaller than nothing.
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) width = height = 0;
        width = std::max(0, width);
        height = std::max(0, height);
    } else {
        default_top_level_rect(&x, &y, &width, &height, X == CW_USEDEFAULT, nWidth == CW_USEDEFAULT);
        width = std::clamp(width, 1, kMaxHostSize);
        height = std::clamp(height, 1, kMaxHostSize);
    }

    Window *w = window_new();
    w->cls = cls;
    w->proc = cls->proc;
    w->style = dwStyle & ~static_cast<DWORD>(WS_VISIBLE);
    w->ex_style = dwExStyle;
    w->text = lpWindowName ? lpWindowName : "";
    w->enabled = (dwStyle & WS_DISABLED) == 0;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    w->menu = hMenu;
    if (child) {
        w->parent = parent->handle;
        parent->children.push_back(w->handle);
    } else {
        // A top-level window's owner is always a top-level window.
        if (parent) w->owner = top_level_of(parent)->handle;
        registry().top_levels.push_back(w->handle);
        surface_create(w);
        if (w->menu) menu_bar_update(w);
    }

    const HWND h = w->handle;
    CreateParams cp{lpParam, hInstance, hMenu, hWndParent, height, width, y, x,
                    static_cast<LONG>(dwStyle), lpWindowName, lpClassName, dwExStyle};
    if (!send_message(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cp))) {
        if (window_get(h)) DestroyWindow(h);
        return nullptr;
    }
    if (!window_get(h)) return nullptr;
    if (send_message(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cp)) == -1) {
        if (window_get(h)) DestroyWindow(h);
        return nullptr;
    }
    if (!window_get(h)) return nullptr;
    // The procedure learns its client size (after WM_CREATE may have set a menu).
    send_size(h);
    if (!window_get(h)) return nullptr;
    if (dwStyle & WS_VISIBLE) ShowWindow(h, SW_SHOW);
    return window_get(h) ? h : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window *w = window_checked(hWnd);
    if (!w) return FALSE;
    if (!w->destroying) destroy_tree(hWnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return window_get(hWnd) ? TRUE : FALSE; }

HWND WINAPI GetParent(HWND hWnd) {
    Window *w = window_checked(hWnd);
    if (!w) return nullptr;
    if (w->is_child()) return w->parent;
    // Win32 reports the owner of a pop-up window as its parent.
    if (w->style & WS_POPUP) return w->owner;
    return nullptr;
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
