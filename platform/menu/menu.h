// Menus of the stand-in: the model behind CreateMenu, AppendMenuA and
// CheckMenuItem (items with flags, identifiers, texts and popups), shared by
// the menu bar and popup code that draws and drives them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

struct MenuItem {
    UINT flags = MF_STRING;  // MF_SEPARATOR, MF_POPUP, MF_CHECKED, MF_GRAYED, MF_DISABLED
    UINT_PTR id = 0;         // command identifier; the popup's HMENU for MF_POPUP
    std::string text;        // with '&' mnemonics and '\t' before the shortcut text
    HMENU popup = nullptr;   // MF_POPUP: the drop-down

    bool separator() const { return (flags & MF_SEPARATOR) != 0; }
    bool checked() const { return (flags & MF_CHECKED) != 0; }
    bool grayed() const { return (flags & (MF_GRAYED | MF_DISABLED)) != 0; }
};

struct Menu {
    bool popup = false;  // CreatePopupMenu (drop-down) or CreateMenu (bar)
    std::vector<MenuItem> items;
};

// The live menu behind a handle, or null.
Menu *menu_get(HMENU handle);

// Index of the item addressed by `item` (a command id, searched through
// popups, or a position with MF_BYPOSITION), with the menu that holds it.
struct MenuItemRef {
    Menu *menu = nullptr;
    size_t index = 0;
};
MenuItemRef menu_find(HMENU handle, UINT item, UINT flags);

// The label before '\t' and the shortcut text after it, '&' kept in the label.
std::string menu_label(const MenuItem &item);
std::string menu_shortcut(const MenuItem &item);
// The mnemonic character of the label (lower case, user/mnemonic.h), or 0.
char menu_mnemonic(const MenuItem &item);

// Connects the bar and popup code to the windowing core (menu_hooks.cpp):
// registers USER's MenuHooks. The stand-in's start-up (entry/start_up.h)
// calls it; so does a test's set-up that links the menu code without the rest.
void install_menu_hooks();

}  // namespace standin
