/* shapes: every drawing operation once, each with a label that names the
 * call. A width of 0 fills a shape; any other width draws its outline. */
#include "telka.h"

/* A label below a shape; text stands on its anchor, so y is its baseline row. */
static void label(int32_t x, int32_t y, const char *text)
{
    TELKA_text(TELKA_BLACK, x, y, 12, text);
}

int main(void)
{
    int32_t x, y, i;
    char key;
    int kind;

    TELKA_open();
    TELKA_logging(0);
    TELKA_clear();

    /* top row */
    for (i = 0; i < 36; ++i)                                 /* 36 single pixels */
        TELKA_pixel(TELKA_RED, -270 + (i % 6) * 12, 215 - (i / 6) * 12);
    label(-280, 130, "TELKA_pixel");

    TELKA_line(TELKA_BLUE, -110, 160, -30, 220, 1);
    TELKA_line(TELKA_BLUE, -100, 150, -20, 210, 6);          /* 6 pixels wide */
    label(-110, 130, "TELKA_line");

    TELKA_rectangle(TELKA_GREEN, 60, 220, 140, 160, 0);      /* filled */
    TELKA_rectangle(TELKA_FOREST_GREEN, 160, 220, 240, 160, 3); /* outline */
    label(60, 130, "TELKA_rectangle");

    /* middle row */
    TELKA_oval(TELKA_MAGENTA, -280, 80, -180, 20, 0);
    TELKA_oval(TELKA_PURPLE, -170, 80, -130, 0, 2);
    label(-280, -20, "TELKA_oval");

    TELKA_triangle(TELKA_ORANGE, -40, 20, 40, 20, 0, 90, 0);
    TELKA_triangle(TELKA_BROWN, 50, 20, 110, 20, 80, 90, 2);
    label(-40, -20, "TELKA_triangle");

    TELKA_circle(TELKA_CYAN, 200, 50, 35);                   /* always filled */
    TELKA_circle(TELKA_NAVY_BLUE, 200, 50, 3);
    label(160, -20, "TELKA_circle");

    /* bottom row: text in three point sizes; the anchor is the lower-left
     * corner of the text's first line */
    TELKA_text(TELKA_BLACK, -280, -90, 12, "TELKA_text, 12");
    TELKA_text(TELKA_DUSTY_PLUM, -280, -130, 24, "TELKA_text, 24");
    TELKA_textf(TELKA_SEA_GREEN, -280, -190, 40, "textf: %d + %d = %d", 2, 3, 2 + 3);
    TELKA_circle(TELKA_RED, -280, -190, 3);                  /* where that anchor is */
    label(-280, -240, "The red dot at the left of the big text is its anchor.");

    do {
        kind = TELKA_await_event(&x, &y, &key);
    } while (kind != TELKA_QUIT && !(kind == TELKA_KBD && (key == 'q' || key == 'Q')));
    TELKA_close();
    return 0;
}
