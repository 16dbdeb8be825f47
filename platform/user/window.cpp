// The life of a window: CreateWindowExA with its message sequence
// (WM_NCCREATE, WM_CREATE, WM_SIZE, then showing) and DestroyWindow, which
// takes the window's children and owned windows with it.
#include "user/window.h"

#include <algorithm>

namespace standin {

namespace {

// Subtree of `root` in pre-order (root first).
void collect_tree(HWND root, std::vector<HWND> *out) {
    Window *w = window_get(root);
    if (!w) return;
    out->push_back(root);
    const std::vector<HWND> kids = w->children;
    for (HWND c : kids) collect_tree(c, out);
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

// Destroys `root` and everything that belongs to it, in Win32's order.
// Window procedures run in phases 1, 3 and 5 and may destroy or create
// windows, so every later step looks its windows up again.
void destroy_tree(HWND root) {
    // 1. Owned top-level windows go first (a dialog before its owner).
    std::vector<HWND> owned;
    for (HWND t : top_level_windows())
        if (Window *o = window_get(t); o && o->owner == root) owned.push_back(t);
    for (HWND o : owned) DestroyWindow(o);

    // 2. The tree is marked: nothing is created under it or shown in it any more,
    //    and a DestroyWindow from its procedures returns at once.
    Window *w = window_get(root);
    if (!w || w->destroying) return;
    std::vector<HWND> tree;
    collect_tree(root, &tree);
    for (HWND h : tree) window_get(h)->destroying = true;

    // 3. It leaves the screen, and activation and focus leave it.
    hide_window(w);

    // 4. Its timers, posted messages and open menu end before any WM_DESTROY.
    for (HWND h : tree) {
        kill_window_timers(h);
        purge_posted_messages(h);
        menu_window_destroyed(h);
    }

    // 5. WM_DESTROY parents first, WM_NCDESTROY children first.
    for (HWND h : tree) send_message(h, WM_DESTROY, 0, 0);
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) send_message(*it, WM_NCDESTROY, 0, 0);

    // 6. The objects go, children first, with anything the procedures created
    //    under the tree while it was dying; the handles stay invalid for good.
    tree.clear();
    collect_tree(root, &tree);
    if (Window *r = window_get(root)) window_unlink(r);
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

}  // namespace standin

using namespace standin;

extern "C" {

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
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
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
    } else if (parent) {
        // A top-level window's owner is always a top-level window.
        w->owner = top_level_of(parent)->handle;
    }
    window_link(w);
    if (!child) {
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

}  // extern "C"
