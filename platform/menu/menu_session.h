// The one active menu of the program: a window's bar selected from the
// keyboard, or one of its drop-downs open as an overlay. Shared by the
// keyboard, mouse and hook code; it never runs a loop of its own, so timers
// and painting go on while a menu is open. Every way it ends is in
// menu_session.cpp: chosen, closed by a key or click, or its window or bar
// changed under it.
#pragma once

#include <windows.h>

#include "backends/backend.h"
#include "menu/menu_draw.h"

#include <cstdint>
#include <vector>

namespace standin {

enum class MenuMode {
    Closed,
    Bar,    // a bar item is selected from the keyboard, no drop-down
    Popup,  // the selected bar item's drop-down is open
};

struct MenuSession {
    MenuMode mode = MenuMode::Closed;
    HWND window = nullptr;        // top-level window whose bar is active
    HMENU bar = nullptr;          // its menu bar when the session began
    int bar_item = -1;            // selected top-level item
    HMENU popup = nullptr;        // Popup: the open drop-down
    int highlight = -1;           // Popup: highlighted item, -1 none
    int64_t popup_x = 0;          // Popup: host position of the drop-down's top-left corner
    int64_t popup_y = 0;
    PopupLayout layout;
    RECT shown{};                 // host rectangle of the overlay: the drop-down's visible part
    std::vector<uint32_t> pixels; // the overlay, shown's width per row
    bool pointer_inside = false;  // the last motion was over the drop-down
    bool dragging = false;        // the press that opened the drop-down is still held
};

MenuSession &menu_session();

// The menu bar attached to a top-level window, or null.
Menu *window_bar(HWND window);

// Bar item `item` of `window` becomes active: its drop-down opens (with the
// first item highlighted when `by_keyboard`). A command item on the bar is
// chosen at once when `choose_command`, otherwise selected in Bar mode.
void menu_activate_bar_item(HWND window, int item, bool by_keyboard, bool choose_command);
// Selects bar item `item` of `window` without opening anything (Bar mode).
void menu_select_bar(HWND window, int item);
// Ends the session: removes the drop-down and redraws the bar.
void menu_close();
// Moves the drop-down's highlight (-1: none) and redraws it when it changed.
void menu_set_highlight(int index);
// Chooses item `index` of the open drop-down: closes, then posts WM_COMMAND.
// False, and nothing happens, for separators, greyed items and drop-downs.
bool menu_choose(int index);
// The session's menus still exist and the window still shows the same bar;
// otherwise the session is closed and false returned.
bool menu_session_valid();

// What the windowing core tells (MenuHooks): the window's bar was attached,
// replaced, detached or redrawn, or the window resized; the window is being
// destroyed; it lost the focus to another window tree or was disabled.
void menu_session_bar_changed(HWND window);
void menu_session_window_destroyed(HWND window);
void menu_session_window_deactivated(HWND window);

// Index of the next item after `from` in direction `step` (+1/-1) that a
// highlight may rest on (not a separator), wrapping; -1 when there is none.
int menu_next_selectable(const Menu &popup, int from, int step);

// Keyboard (menu_keys.cpp): key events of `top`; true swallows.
bool menu_key_input(HWND top, const InputEvent &event);
// DefWindowProcA's WM_SYSKEYDOWN/WM_SYSKEYUP/WM_SYSCHAR in `top`'s tree.
void menu_handle_sys_key(HWND top, UINT message, WPARAM wParam, LPARAM lParam);
// A mouse press ends an Alt press that could still open the bar on release.
void menu_cancel_alt_release();

// Mouse (menu_mouse.cpp): button and motion events of `top`; true swallows.
bool menu_mouse_input(HWND top, const InputEvent &event);

}  // namespace standin
