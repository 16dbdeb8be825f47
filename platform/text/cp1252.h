// Windows-1252, the code page of the stand-in's ANSI text calls: maps one byte
// to the Unicode character a font is asked for. Pure table lookup.
#pragma once

#include <cstdint>

namespace standin {

// Unicode code point of byte `b`; 0 for the five positions 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D). Control bytes map to themselves.
char32_t cp1252_to_unicode(uint8_t b);

// The byte that stands for code point `c`, or -1 when 1252 has none (and
// for 0x80-0x9F, which 1252 gives to other characters).
int cp1252_from_unicode(char32_t c);

}  // namespace standin
