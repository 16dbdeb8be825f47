// The 24-colour palette: names for log lines and COLORREF values for
// drawing (the rule for an invalid index is draw_args.h's).
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int kPaletteSize = 24;

extern const char *const colorNames[kPaletteSize];
extern const COLORREF colorValues[kPaletteSize];
