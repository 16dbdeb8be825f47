// The traced forms of the drawing operations, which telka.h's macros call
// from a program's own files: each notes its caller's file and line for the
// call's announcement (log_drawing_call), then is the plain operation.
#include <cstdarg>

#include "draw_text.h"
#include "lib_state.h"
#include "telka.h"
#include "text_util.h"
#include "text_window.h"

static void note_site(const char *file, int line) {
    lib.callFile = file;
    lib.callLine = line;
}

int TELKA_traced_pixel(const char *file, int line, int32_t color, int32_t x, int32_t y) {
    note_site(file, line);
    return TELKA_pixel(color, x, y);
}

int TELKA_traced_pixel_pt(const char *file, int line, int32_t color, Point p) {
    note_site(file, line);
    return TELKA_pixel_pt(color, p);
}

int TELKA_traced_line(const char *file, int line, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      int32_t width) {
    note_site(file, line);
    return TELKA_line(color, x1, y1, x2, y2, width);
}

int TELKA_traced_line_pt(const char *file, int line, int32_t color, Point p1, Point p2, int32_t width) {
    note_site(file, line);
    return TELKA_line_pt(color, p1, p2, width);
}

int TELKA_traced_rectangle(const char *file, int line, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           int32_t width) {
    note_site(file, line);
    return TELKA_rectangle(color, x1, y1, x2, y2, width);
}

int TELKA_traced_rectangle_pt(const char *file, int line, int32_t color, Point p1, Point p2, int32_t width) {
    note_site(file, line);
    return TELKA_rectangle_pt(color, p1, p2, width);
}

int TELKA_traced_oval(const char *file, int line, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      int32_t width) {
    note_site(file, line);
    return TELKA_oval(color, x1, y1, x2, y2, width);
}

int TELKA_traced_oval_pt(const char *file, int line, int32_t color, Point p1, Point p2, int32_t width) {
    note_site(file, line);
    return TELKA_oval_pt(color, p1, p2, width);
}

int TELKA_traced_triangle(const char *file, int line, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                          int32_t x3, int32_t y3, int32_t width) {
    note_site(file, line);
    return TELKA_triangle(color, x1, y1, x2, y2, x3, y3, width);
}

int TELKA_traced_triangle_pt(const char *file, int line, int32_t color, Point p1, Point p2, Point p3, int32_t width) {
    note_site(file, line);
    return TELKA_triangle_pt(color, p1, p2, p3, width);
}

int TELKA_traced_circle(const char *file, int line, int32_t color, int32_t x, int32_t y, int32_t radius) {
    note_site(file, line);
    return TELKA_circle(color, x, y, radius);
}

int TELKA_traced_circle_pt(const char *file, int line, int32_t color, Point centre, int32_t radius) {
    note_site(file, line);
    return TELKA_circle_pt(color, centre, radius);
}

int TELKA_traced_text(const char *file, int line, int32_t color, int32_t x, int32_t y, int32_t ptsize,
                      const char *text) {
    note_site(file, line);
    return TELKA_text(color, x, y, ptsize, text);
}

int TELKA_traced_text_pt(const char *file, int line, int32_t color, Point anchor, int32_t ptsize, const char *text) {
    note_site(file, line);
    return TELKA_text_pt(color, anchor, ptsize, text);
}

int TELKA_traced_textf(const char *file, int line, int32_t color, int32_t x, int32_t y, int32_t ptsize,
                       const char *format, ...) {
    note_site(file, line);
    va_list args;
    va_start(args, format);
    const int count = draw_formatted_text(color, Point{x, y}, ptsize, format, args);
    va_end(args);
    return count;
}

int TELKA_traced_textf_pt(const char *file, int line, int32_t color, Point anchor, int32_t ptsize,
                          const char *format, ...) {
    note_site(file, line);
    va_list args;
    va_start(args, format);
    const int count = draw_formatted_text(color, anchor, ptsize, format, args);
    va_end(args);
    return count;
}

int TELKA_traced_clear(const char *file, int line) {
    note_site(file, line);
    return TELKA_clear();
}

int TELKA_traced_flush(const char *file, int line) {
    note_site(file, line);
    return TELKA_flush();
}
