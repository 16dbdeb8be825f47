// Menu handles and items: creation, appending, check marks and queries with
// Win32's results. Handles are validated against the set of live menus.
#include "menu/menu.h"

#include "user/mnemonic.h"
#include "user/window_hooks.h"

#include <memory>
#include <unordered_map>

namespace standin {

namespace {

std::unordered_map<HMENU, std::unique_ptr<Menu>> &menus() {
    static std::unordered_map<HMENU, std::unique_ptr<Menu>> live;
    return live;
}

HMENU create(bool popup) {
    auto menu = std::make_unique<Menu>();
    menu->popup = popup;
    HMENU handle = reinterpret_cast<HMENU>(menu.get());
    menus()[handle] = std::move(menu);
    return handle;
}

MenuItemRef find_by_command(HMENU handle, UINT id, int depth) {
    Menu *menu = menu_get(handle);
    if (!menu || depth > 16) return {};
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const MenuItem &item = menu->items[i];
        if (item.popup) {
            MenuItemRef inner = find_by_command(item.popup, id, depth + 1);
            if (inner.menu) return inner;
        } else if (!item.separator() && item.id == id) {
            return {menu, i};
        }
    }
    return {};
}

}  // namespace

Menu *menu_get(HMENU handle) {
    auto it = menus().find(handle);
    return it == menus().end() ? nullptr : it->second.get();
}

MenuItemRef menu_find(HMENU handle, UINT item, UINT flags) {
    Menu *menu = menu_get(handle);
    if (!menu) return {};
    if (flags & MF_BYPOSITION) return item < menu->items.size() ? MenuItemRef{menu, item} : MenuItemRef{};
    return find_by_command(handle, item, 0);
}

std::string menu_label(const MenuItem &item) { return item.text.substr(0, item.text.find('\t')); }

std::string menu_shortcut(const MenuItem &item) {
    const size_t tab = item.text.find('\t');
    return tab == std::string::npos ? std::string() : item.text.substr(tab + 1);
}

char menu_mnemonic(const MenuItem &item) { return mnemonic_char(menu_label(item)); }

}  // namespace standin

using namespace standin;

extern "C" {

HMENU WINAPI CreateMenu(void) { return create(false); }
HMENU WINAPI CreatePopupMenu(void) { return create(true); }

BOOL WINAPI DestroyMenu(HMENU hMenu) {
    Menu *menu = menu_get(hMenu);
    if (!menu) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    // Drop-downs attached to the menu go with it.
    std::vector<HMENU> popups;
    for (const MenuItem &item : menu->items)
        if (item.popup) popups.push_back(item.popup);
    menus().erase(hMenu);
    for (HMENU popup : popups) DestroyMenu(popup);
    return TRUE;
}

BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    Menu *menu = menu_get(hMenu);
    if (!menu) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    MenuItem item;
    item.flags = uFlags;
    if (uFlags & MF_POPUP) {
        HMENU popup = reinterpret_cast<HMENU>(uIDNewItem);
        if (!menu_get(popup) || popup == hMenu) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return FALSE;
        }
        item.popup = popup;
    } else if (!(uFlags & MF_SEPARATOR)) {
        item.id = uIDNewItem & 0xFFFF;  // command identifiers are 16 bits
    }
    if (!(uFlags & MF_SEPARATOR) && lpNewItem) item.text = lpNewItem;
    if (uFlags & MF_SEPARATOR) item.flags &= ~static_cast<UINT>(MF_CHECKED | MF_GRAYED | MF_DISABLED);
    menu->items.push_back(std::move(item));
    return TRUE;
}

DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
    MenuItemRef ref = menu_find(hMenu, uIDCheckItem, uCheck);
    if (!ref.menu) return static_cast<DWORD>(-1);
    MenuItem &item = ref.menu->items[ref.index];
    const DWORD previous = item.checked() ? MF_CHECKED : MF_UNCHECKED;
    if (uCheck & MF_CHECKED)
        item.flags |= MF_CHECKED;
    else
        item.flags &= ~static_cast<UINT>(MF_CHECKED);
    return previous;
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
    MenuItemRef ref = menu_find(hMenu, uId, uFlags);
    if (!ref.menu) return static_cast<UINT>(-1);
    const MenuItem &item = ref.menu->items[ref.index];
    UINT state = item.flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED | MF_SEPARATOR);
    if (item.popup) {
        const Menu *popup = menu_get(item.popup);
        state |= MF_POPUP | (static_cast<UINT>(popup ? popup->items.size() : 0) << 8);
    }
    return state;
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
    Menu *menu = menu_get(hMenu);
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
    MenuItemRef ref = menu_find(hMenu, uIDItem, flags);
    if (!ref.menu) return 0;
    const std::string &text = ref.menu->items[ref.index].text;
    if (!lpString || cchMax <= 0) return static_cast<int>(text.size());
    const size_t n = std::min(text.size(), static_cast<size_t>(cchMax - 1));
    text.copy(lpString, n);
    lpString[n] = '\0';
    return static_cast<int>(n);
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
    Menu *menu = menu_get(hMenu);
    if (!menu || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size()) return static_cast<UINT>(-1);
    const MenuItem &item = menu->items[static_cast<size_t>(nPos)];
    if (item.popup) return static_cast<UINT>(-1);
    return static_cast<UINT>(item.id);
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
    Menu *menu = menu_get(hMenu);
    if (!menu || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size()) return nullptr;
    return menu->items[static_cast<size_t>(nPos)].popup;
}

BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu) {
    if (hMenu && !menu_get(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    return window_set_menu(hWnd, hMenu) ? TRUE : FALSE;
}

HMENU WINAPI GetMenu(HWND hWnd) { return window_menu(hWnd); }

BOOL WINAPI DrawMenuBar(HWND hWnd) { return window_redraw_menu_bar(hWnd) ? TRUE : FALSE; }

}  // extern "C"
