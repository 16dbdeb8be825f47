/* TELKA: a procedural graphics-and-event library.
 *
 * An application includes this header and writes `int main(void)`; the
 * library owns the process entry, calls that main, and offers a 601 x 540
 * graphics window with a control menu, a text window, 24 colours, and an
 * event stream (mouse clicks, keys, 50 ms periodic ticks, quit) pulled one
 * event at a time. Coordinates: origin at the window's centre, y upwards. */
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

/* Colour indices of the palette. */
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

typedef struct EventRecord {
    int32_t x;  /* mouse: centred coordinates, y up */
    int32_t y;
    char key;   /* key event: the character typed */
} EventRecord;

typedef struct Point {
    int32_t x;
    int32_t y;
} Point;

/* Start-up and shut-down: the first and the last library call. */
int TELKA_open(void);
int TELKA_close(void);

/* Waits for the next event; all out-parameters are written for every kind. */
int TELKA_await_event(int32_t *x, int32_t *y, char *key);
int TELKA_await_event_rec(EventRecord *rec);

/* Animation control (0 halt, 1 one frame, 2 run, 5 quit) and logging switch;
 * both return 0 before TELKA_open and 1 afterwards. */
int TELKA_animate(int code);
int TELKA_logging(int on);

/* One line into the text window; returns the number of characters formatted. */
int TELKA_printf(const char *format, ...) TELKA_PRINTF(1, 2);

/* Asks for a line of text; `result` must hold 256 bytes. 1 when shown, 0 when not. */
int TELKA_gets(const char *prompt, char *result);

/* Drawing into the back buffer; each integer form has a Point form. */
int TELKA_pixel(int32_t color, int32_t x, int32_t y);
int TELKA_pixel_pt(int32_t color, Point p);
int TELKA_line(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
int TELKA_line_pt(int32_t color, Point p1, Point p2, int32_t width);
int TELKA_rectangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
int TELKA_rectangle_pt(int32_t color, Point p1, Point p2, int32_t width);
int TELKA_oval(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
int TELKA_oval_pt(int32_t color, Point p1, Point p2, int32_t width);
int TELKA_triangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                   int32_t width);
int TELKA_triangle_pt(int32_t color, Point p1, Point p2, Point p3, int32_t width);
int TELKA_circle(int32_t color, int32_t x, int32_t y, int32_t radius);
int TELKA_circle_pt(int32_t color, Point centre, int32_t radius);
int TELKA_text(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *text);
int TELKA_text_pt(int32_t color, Point anchor, int32_t ptsize, const char *text);
int TELKA_textf(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *format, ...) TELKA_PRINTF(5, 6);
int TELKA_textf_pt(int32_t color, Point anchor, int32_t ptsize, const char *format, ...) TELKA_PRINTF(4, 5);
int TELKA_text_size(int32_t ptsize, int32_t *height, int32_t *width, const char *text);
int TELKA_textf_size(int32_t ptsize, int32_t *height, int32_t *width, const char *format, ...) TELKA_PRINTF(4, 5);
int TELKA_clear(void);
int TELKA_flush(void);
int TELKA_undo(void);

/* The application's entry. The library owns the process entry and calls it;
 * the macro lets the application write its function as plain `main`. */
#define main TELKA_main
int main(void);

#ifdef __cplusplus
}
#endif

#endif /* TELKA_H */
