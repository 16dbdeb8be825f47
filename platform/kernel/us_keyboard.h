// The US keyboard that every backend reports and USER translates: each key's
// virtual-key code, set-1 scan code, extended flag and the characters it
// types. Pure data and lookups; relies only on windows.h's VK_ names.
#pragma once

#include <span>

namespace standin {

struct UsKey {
    int vk = 0;             // virtual-key code; 0: no such key
    int scan = 0;           // set-1 scan code without the E0 prefix (lParam bits 16-23)
    bool extended = false;  // E0 prefix (lParam bit 24)
    char ch = 0;            // typed without Shift; 0: none
    char shifted = 0;       // typed with Shift (CapsLock inverts Shift for letters); 0: none
};

// Every key, one row per virtual key. The left- and right-hand modifiers are
// rows of their own (VK_LSHIFT, VK_RSHIFT, ...); the keypad's rows are its
// NumLock-on keys.
std::span<const UsKey> us_keys();

// The key that sends `vk`; vk 0 when none does. A generic modifier code
// (VK_SHIFT, VK_CONTROL, VK_MENU) names the left-hand key, and VK_CLEAR the
// keypad's 5, the only key that sends it.
UsKey us_key(int vk);

// The key at a set-1 position; vk 0 when none is there.
UsKey us_key_at(int scan, bool extended);

// The keypad key that sends `vk`: its digits and operators, its Enter
// (extended, unlike the main one) and, with NumLock off, the navigation keys
// it doubles as (not extended, unlike the navigation block's). vk 0 when the
// keypad has no such key.
UsKey us_keypad_key(int vk);

// VK_SHIFT, VK_CONTROL or VK_MENU for a side-specific modifier, else `vk`:
// window messages carry the generic codes.
int us_generic_vk(int vk);

// The key that types `c` and whether it needs Shift ('\n' types Enter, as
// '\r' does); false when no key types it. The main block comes before the
// keypad, so '7' and '*' come from the top row.
bool us_key_for_char(char c, int *vk, bool *shift);

}  // namespace standin
