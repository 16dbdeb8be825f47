// The window handle registry: handles never reused, the window objects behind
// them, the list of top-level windows, tree queries, and the per-window
// fields that the dialog code reads through window_hooks.h.
#include "user/window.h"

#include "user/user_state.h"
#include "user/window_hooks.h"

#include <algorithm>

namespace standin {

namespace {

WindowRegistry &registry() { return user_state().registry; }

}  // namespace

Window *window_get(HWND hwnd) {
    if (!hwnd) return nullptr;
    WindowRegistry &r = registry();
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
    WindowRegistry &r = registry();
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

void window_link(Window *w) {
    if (!w->parent) {
        registry().top_levels.push_back(w->handle);
    } else if (Window *p = window_get(w->parent)) {
        p->children.push_back(w->handle);
    }
}

void window_unlink(Window *w) {
    std::vector<HWND> *siblings = &registry().top_levels;
    if (w->parent) {
        Window *p = window_get(w->parent);
        if (!p) return;
        siblings = &p->children;
    }
    siblings->erase(std::remove(siblings->begin(), siblings->end(), w->handle), siblings->end());
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

// ---- fields for the dialog code (window_hooks.h) ----

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

BOOL WINAPI IsWindow(HWND hWnd) { return window_get(hWnd) ? TRUE : FALSE; }

HWND WINAPI GetParent(HWND hWnd) {
    Window *w = window_checked(hWnd);
    if (!w) return nullptr;
    if (w->is_child()) return w->parent;
    // Win32 reports the owner of a pop-up window as its parent.
    if (w->style & WS_POPUP) return w->owner;
    return nullptr;
}

}  // extern "C"
