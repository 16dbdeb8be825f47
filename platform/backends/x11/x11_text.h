// The characters an X key types, as Unicode code points: keysyms to code
// points for when no input method is open, and the UTF-8 an input method
// returns. Pure; relies only on X keysym values.
#pragma once

#include <string>

namespace standin {

// The code point that `keysym` types, or 0 for one that types none
// (function, modifier, keypad and dead keys, and symbols the table lacks).
char32_t x11_keysym_to_unicode(unsigned long keysym);

// A dead key types nothing itself but changes the next key's character.
bool x11_is_dead_keysym(unsigned long keysym);
// The character a dead key types when the next key cannot take its accent
// (^ then q types "^q"), or 0 for a dead key without one here.
char32_t x11_dead_key_spacing(unsigned long keysym);

// The code points of `length` bytes of UTF-8; each malformed sequence or
// stray byte becomes U+FFFD, and the characters after it are kept.
std::u32string x11_utf8_to_code_points(const char *text, int length);

}  // namespace standin
