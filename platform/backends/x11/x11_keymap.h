// Turns an X key (its keysym and keycode) into what a US-layout Windows
// keyboard reports: virtual-key code, OEM scan code and the extended-key flag.
// Pure table lookups; relies only on X keysym values, not on a server.
#pragma once

namespace standin {

struct KeyTranslation {
    int vk = 0;             // Win32 virtual-key code; 0: a key Windows has no code for here
    int scan = 0;           // set-1 scan code without the E0 prefix (lParam bits 16-23)
    bool extended = false;  // lParam bit 24
};

// `keysym` is the symbol that selects the key's meaning: the unshifted symbol
// for most keys, and for keypad keys the one the NumLock state picks (KP_1 or
// KP_End). `keycode` is the X keycode: with evdev keycodes, keycode - 8 is the
// set-1 scan code of every key of the main block, and the fallback for symbols
// of other layouts that the table does not know.
KeyTranslation x11_translate_key(unsigned long keysym, unsigned keycode);

// Keypad keys change meaning with NumLock, so their symbol must come from the
// full event state rather than from the unshifted column.
bool x11_is_keypad_keysym(unsigned long keysym);

}  // namespace standin
