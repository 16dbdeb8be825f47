// Windows-1252, the code page of the stand-in's ANSI text calls: maps one byte
// to the Unicode character a font is asked for. Pure table lookup.
#pragma once

#include <cstdint>

namespace standin {

// Unicode code point of byte `b`; 0 for the five positions 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D). Control bytes map to themselves.
char32_t cp1252_to_unicode(uint8_t b);

}  // namespace standin
