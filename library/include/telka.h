/* TELKA: a procedural graphics-and-event library.
 *
 * An application includes this header and writes `int main(void)`; the
 * library owns the process entry, calls that main, and offers a 601 x 540
 * graphics window with a "Run" menu, a text window, 24 colours, and an
 * event stream (mouse clicks, keys, 50 ms periodic ticks, quit) pulled one
 * event at a time. Coordinates: one unit per pixel, origin at the centre of
 * the window's drawing area, x to the right, y upwards.
 *
 * A bad argument never stops the program: it is replaced by a safe value and
 * reported in one line of the text window. Reference: docs/README.md. */
#ifndef TELKA_H
#define TELKA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TELKA_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define TELKA_PRINTF(fmt_index, first_arg)
#endif

/* Event kinds returned by the waits. */
#define TELKA_MOUSE 1
#define TELKA_KBD 2
#define TELKA_PERIODIC 3
#define TELKA_QUIT 4

/* Colour indices of the palette (docs/colours.md). Any other index is
 * reported ("Illegal color %d; using RED.") and red is used. */
#define TELKA_BLACK 0
#define TELKA_WHITE 1
#define TELKA_RED 2
#define TELKA_GREEN 3
#define TELKA_BLUE 4
#define TELKA_YELLOW 5
#define TELKA_MAGENTA 6
#define TELKA_CYAN 7
#define TELKA_PURPLE 8
#define TELKA_NAVY_BLUE 9
#define TELKA_DUSTY_PLUM 10
#define TELKA_ICE_BLUE 11
#define TELKA_TURQUOISE 12
#define TELKA_ORANGE 13
#define TELKA_BROWN 14
#define TELKA_PINK 15
#define TELKA_CHALK 16
#define TELKA_GOLD 17
#define TELKA_PEACH 18
#define TELKA_FOREST_GREEN 19
#define TELKA_SEA_GREEN 20
#define TELKA_OLIVE 21
#define TELKA_GRAY_50 22
#define TELKA_GRAY_20 23

/* Codes for TELKA_animate. */
#define TELKA_ANIMATE_HALT 0
#define TELKA_ANIMATE_STEP 1
#define TELKA_ANIMATE_RUN 2
#define TELKA_ANIMATE_QUIT 5

/* The values of one event (see TELKA_await_event for when the other kinds
 * carry something other than 0). */
typedef struct EventRecord {
    int32_t x;  /* mouse: where the click was, centred coordinates, y up; else 0 */
    int32_t y;
    char key;   /* key event: the character typed (above 127: negative where char is signed); else 0 */
} EventRecord;

typedef struct Point {
    int32_t x;
    int32_t y;
} Point;

/* The first and the last library call: open the windows (animation halted,
 * logging on) and close (closing a script being recorded: its lines are on
 * disk, periodic events counted since the last line are lost). Both return 1. */
int TELKA_open(void);
int TELKA_close(void);

/* Waits for the next event and returns its kind (TELKA_MOUSE, TELKA_KBD,
 * TELKA_PERIODIC or TELKA_QUIT); x, y and key are written at every wait, 0
 * where the kind has no value, with two exceptions: after TELKA_ANIMATE_QUIT
 * the quit carries the values of the event that ended the wait, and a
 * replayed event that took the place of a live click or key keeps the live
 * one's values in the fields its own kind does not set. So read x and y only
 * for TELKA_MOUSE, key only for TELKA_KBD. What was drawn reaches the window
 * before the wait blocks. */
int TELKA_await_event(int32_t *x, int32_t *y, char *key);
/* The same wait, filling a record. */
int TELKA_await_event_rec(EventRecord *rec);

/* Animation: TELKA_ANIMATE_HALT, _STEP (one periodic event at the next
 * tick), _RUN (one every 50 ms) or _QUIT (every later wait still waits for an
 * event and returns TELKA_QUIT; nothing undoes it); other codes do nothing.
 * Periodic events also come from the Run menu's single step and from a
 * script being played back, which halts animation.
 * Logging (non-zero: on) describes each drawing call in the text window and,
 * when switched on, shows that window. Both return 0 before TELKA_open, else 1. */
int TELKA_animate(int code);
int TELKA_logging(int on);

/* printf into one line of the text window (which keeps the last 25 lines);
 * returns the number of characters formatted, at most 1023 (longer text is
 * cut there). When the C library cannot format (%lc or %ls with a character
 * the locale cannot convert) the result is negative, -1 on Linux, and the
 * line is empty; TELKA_textf, TELKA_textf_pt and TELKA_textf_size do the
 * same with an empty text. */
int TELKA_printf(const char *format, ...) TELKA_PRINTF(1, 2);

/* Asks for a line of text in a dialog and waits for Okay or Enter; `result`
 * must hold 256 bytes (255 characters). 1 when asked, 0 when it could not be. */
int TELKA_gets(const char *prompt, char *result);

/* Drawing goes into a back buffer that reaches the window at the next wait or
 * TELKA_flush. Each shape has an integer form and a Point form (_pt). A width
 * of 0 fills a triangle, rectangle or oval; a width above 0 draws its outline.
 * Negative widths, radii and point sizes are reported and made positive;
 * point sizes above 127 become 127. All return 1 unless said otherwise. */

/* One pixel at (x, y). */
int TELKA_pixel(int32_t color, int32_t x, int32_t y);
int TELKA_pixel_pt(int32_t color, Point p);
/* A line from (x1, y1) to (x2, y2), width pixels wide (0 draws 1). */
int TELKA_line(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
int TELKA_line_pt(int32_t color, Point p1, Point p2, int32_t width);
/* A rectangle with opposite corners (x1, y1) and (x2, y2), both included. */
int TELKA_rectangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
int TELKA_rectangle_pt(int32_t color, Point p1, Point p2, int32_t width);
/* The oval that fits the box with corners (x1, y1) and (x2, y2). */
int TELKA_oval(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
int TELKA_oval_pt(int32_t color, Point p1, Point p2, int32_t width);
/* A triangle with the three corners given. */
int TELKA_triangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                   int32_t width);
int TELKA_triangle_pt(int32_t color, Point p1, Point p2, Point p3, int32_t width);
/* A filled disc of the given radius around (x, y). */
int TELKA_circle(int32_t color, int32_t x, int32_t y, int32_t radius);
int TELKA_circle_pt(int32_t color, Point centre, int32_t radius);
/* Text whose first line stands on (x, y), the lower-left corner of its cell;
 * ptsize is the character height in pixels; a newline starts a line below. */
int TELKA_text(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *text);
int TELKA_text_pt(int32_t color, Point anchor, int32_t ptsize, const char *text);
/* TELKA_text with printf formatting; returns the number of characters
 * (negative when the C library cannot format, as TELKA_printf). */
int TELKA_textf(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *format, ...) TELKA_PRINTF(5, 6);
int TELKA_textf_pt(int32_t color, Point anchor, int32_t ptsize, const char *format, ...) TELKA_PRINTF(4, 5);
/* Measures text (as one line) at ptsize: its height and width in pixels.
 * Draws nothing. The _f form formats first and returns the characters. */
int TELKA_text_size(int32_t ptsize, int32_t *height, int32_t *width, const char *text);
int TELKA_textf_size(int32_t ptsize, int32_t *height, int32_t *width, const char *format, ...) TELKA_PRINTF(4, 5);
/* Fills the back buffer with white (its outermost pixels black). */
int TELKA_clear(void);
/* Copies the back buffer to the window now, if anything was drawn. */
int TELKA_flush(void);
/* No longer supported: only prints a line saying so. */
int TELKA_undo(void);

/* Call sites. In a program's own files each drawing call hands the library
 * its file and line, which the library names when it explains who drew a
 * pixel (the playground's pixel history, telka-run --explain). The
 * operations above keep their names, arguments and results: a pointer to one
 * and a call through it work as before, with no line known. Define
 * TELKA_NO_CALL_SITES before including this header to call them directly. */
int TELKA_traced_pixel(const char *file, int line, int32_t color, int32_t x, int32_t y);
int TELKA_traced_pixel_pt(const char *file, int line, int32_t color, Point p);
int TELKA_traced_line(const char *file, int line, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      int32_t width);
int TELKA_traced_line_pt(const char *file, int line, int32_t color, Point p1, Point p2, int32_t width);
int TELKA_traced_rectangle(const char *file, int line, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           int32_t width);
int TELKA_traced_rectangle_pt(const char *file, int line, int32_t color, Point p1, Point p2, int32_t width);
int TELKA_traced_oval(const char *file, int line, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      int32_t width);
int TELKA_traced_oval_pt(const char *file, int line, int32_t color, Point p1, Point p2, int32_t width);
int TELKA_traced_triangle(const char *file, int line, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                          int32_t x3, int32_t y3, int32_t width);
int TELKA_traced_triangle_pt(const char *file, int line, int32_t color, Point p1, Point p2, Point p3, int32_t width);
int TELKA_traced_circle(const char *file, int line, int32_t color, int32_t x, int32_t y, int32_t radius);
int TELKA_traced_circle_pt(const char *file, int line, int32_t color, Point centre, int32_t radius);
int TELKA_traced_text(const char *file, int line, int32_t color, int32_t x, int32_t y, int32_t ptsize,
                      const char *text);
int TELKA_traced_text_pt(const char *file, int line, int32_t color, Point anchor, int32_t ptsize, const char *text);
int TELKA_traced_textf(const char *file, int line, int32_t color, int32_t x, int32_t y, int32_t ptsize,
                       const char *format, ...) TELKA_PRINTF(7, 8);
int TELKA_traced_textf_pt(const char *file, int line, int32_t color, Point anchor, int32_t ptsize,
                          const char *format, ...) TELKA_PRINTF(6, 7);
int TELKA_traced_clear(const char *file, int line);
int TELKA_traced_flush(const char *file, int line);

#if !defined(TELKA_NO_CALL_SITES)
#if (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 199901L) || (defined(__cplusplus) && __cplusplus >= 201103L)
/* Variadic, so an argument holding a comma of its own, such as a compound
 * literal (Point){1, 2} or Point{1, 2}, stays one argument. */
#define TELKA_pixel(...) TELKA_traced_pixel(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_pixel_pt(...) TELKA_traced_pixel_pt(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_line(...) TELKA_traced_line(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_line_pt(...) TELKA_traced_line_pt(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_rectangle(...) TELKA_traced_rectangle(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_rectangle_pt(...) TELKA_traced_rectangle_pt(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_oval(...) TELKA_traced_oval(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_oval_pt(...) TELKA_traced_oval_pt(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_triangle(...) TELKA_traced_triangle(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_triangle_pt(...) TELKA_traced_triangle_pt(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_circle(...) TELKA_traced_circle(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_circle_pt(...) TELKA_traced_circle_pt(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_text(...) TELKA_traced_text(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_text_pt(...) TELKA_traced_text_pt(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_textf(...) TELKA_traced_textf(__FILE__, __LINE__, __VA_ARGS__)
#define TELKA_textf_pt(...) TELKA_traced_textf_pt(__FILE__, __LINE__, __VA_ARGS__)
#else
/* C89 has no variadic macros, and no compound literals to need them; the
 * formatted forms are called directly. */
#define TELKA_pixel(c, x, y) TELKA_traced_pixel(__FILE__, __LINE__, c, x, y)
#define TELKA_pixel_pt(c, p) TELKA_traced_pixel_pt(__FILE__, __LINE__, c, p)
#define TELKA_line(c, x1, y1, x2, y2, w) TELKA_traced_line(__FILE__, __LINE__, c, x1, y1, x2, y2, w)
#define TELKA_line_pt(c, p1, p2, w) TELKA_traced_line_pt(__FILE__, __LINE__, c, p1, p2, w)
#define TELKA_rectangle(c, x1, y1, x2, y2, w) TELKA_traced_rectangle(__FILE__, __LINE__, c, x1, y1, x2, y2, w)
#define TELKA_rectangle_pt(c, p1, p2, w) TELKA_traced_rectangle_pt(__FILE__, __LINE__, c, p1, p2, w)
#define TELKA_oval(c, x1, y1, x2, y2, w) TELKA_traced_oval(__FILE__, __LINE__, c, x1, y1, x2, y2, w)
#define TELKA_oval_pt(c, p1, p2, w) TELKA_traced_oval_pt(__FILE__, __LINE__, c, p1, p2, w)
#define TELKA_triangle(c, x1, y1, x2, y2, x3, y3, w) \
    TELKA_traced_triangle(__FILE__, __LINE__, c, x1, y1, x2, y2, x3, y3, w)
#define TELKA_triangle_pt(c, p1, p2, p3, w) TELKA_traced_triangle_pt(__FILE__, __LINE__, c, p1, p2, p3, w)
#define TELKA_circle(c, x, y, r) TELKA_traced_circle(__FILE__, __LINE__, c, x, y, r)
#define TELKA_circle_pt(c, p, r) TELKA_traced_circle_pt(__FILE__, __LINE__, c, p, r)
#define TELKA_text(c, x, y, s, t) TELKA_traced_text(__FILE__, __LINE__, c, x, y, s, t)
#define TELKA_text_pt(c, p, s, t) TELKA_traced_text_pt(__FILE__, __LINE__, c, p, s, t)
#endif
#define TELKA_clear() TELKA_traced_clear(__FILE__, __LINE__)
#define TELKA_flush() TELKA_traced_flush(__FILE__, __LINE__)
#endif

/* The application's entry. The library owns the process entry and calls it;
 * the macro lets the application write its function as plain `main`. */
#define main TELKA_main
int main(void);

#ifdef __cplusplus
}
#endif

#endif /* TELKA_H */
