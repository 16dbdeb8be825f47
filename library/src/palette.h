// The 24-colour palette: names for log lines, COLORREF values for drawing,
// and the rule that replaces an invalid colour index.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int kPaletteSize = 24;

extern const char *const colorNames[kPaletteSize];
extern const COLORREF colorValues[kPaletteSize];

// A usable colour index: 0..23 unchanged; anything else is reported and red.
int32_t validate_color(int32_t color);
