// The renderer: turns one drawing record into pixels of the back buffer.
// It is the one place where window coordinates become device pixels.
#pragma once

#include <windows.h>

#include <cstdint>

enum DrawKind {
    DRAW_TRIANGLE = 0,
    DRAW_RECTANGLE = 1,
    DRAW_OVAL = 2,
    DRAW_LINE = 3,
    DRAW_PIXEL = 4,
    DRAW_TEXT = 5,
};

// One shape as a drawing call hands it over; built on the caller's stack and
// never stored. Fields a shape does not use are left unset.
struct DrawRecord {
    int32_t kind;   // DrawKind
    int32_t color;  // palette index, already valid
    int32_t width;  // pen width; 0: filled (triangle, rectangle, oval)
    int32_t x1;     // first point
    int32_t y1;
    int32_t x2;     // second point; text: point size
    INT_PTR y2;     // second point y; text: handle of the text copy, as wide as a pointer
    int32_t x3;     // third point (triangle)
    int32_t y3;
};

void render_record(const DrawRecord *rec);

// The library's font at a point size, as text drawing and measuring create it.
HFONT create_library_font(int32_t size);
