// Keyboard state and key messages: turns backend key events into
// WM_KEYDOWN/WM_SYSKEYDOWN... with Win32's lParam bits, and keeps the
// Shift/Ctrl/Alt and lock state that TranslateMessage reads.
#pragma once

#include <windows.h>

#include "backends/backend.h"

namespace standin {

// Message, wParam and lParam for a KeyDown/KeyUp event; updates the state.
void keyboard_event(const InputEvent &event, UINT *message, WPARAM *wParam, LPARAM *lParam);
// Takes Shift/Ctrl/Alt and the locks from a mouse event's modifiers.
void keyboard_note_mods(unsigned mods);
bool keyboard_shift();
bool keyboard_control();
// The character (a code point) that a key's last press typed with the
// current state, or -1: the host layout's, else the US table's.
// `system`: the key came as WM_SYSKEYDOWN (Alt held), which ignores Alt itself.
int keyboard_char(int vk, bool system);
// The message that delivers code point `ch`: WM_CHAR (WM_SYSCHAR) with its
// Windows-1252 byte, or WM_UNICHAR with the code point when 1252 has none.
void keyboard_char_message(int ch, bool system, UINT *message, WPARAM *wParam);

}  // namespace standin
