/* A program whose drawing calls are known by line, for explaining pixels:
 * every frame clears, draws a green oval and a red bar over its middle, and
 * on odd periodic events only a blue square. It ends after 8 events.
 * The tests find the lines by the marks in the comments. */
#include <telka.h>

int main(void)
{
    int n = 0;
    TELKA_open();
    TELKA_logging(0);
    TELKA_animate(TELKA_ANIMATE_RUN);
    while (n < 8) {
        int kind = TELKA_await_event(0, 0, 0);
        if (kind == TELKA_QUIT)
            break;
        if (kind != TELKA_PERIODIC)
            continue;
        ++n;
        TELKA_clear(); /* mark:clear */
        TELKA_oval(TELKA_GREEN, -40, 30, 40, -30, 0); /* mark:oval */
        TELKA_rectangle_pt(TELKA_RED, (Point){-10, 5}, (Point){10, -5}, 0); /* mark:bar */
        if (n % 2 == 1)
            TELKA_rectangle(TELKA_BLUE, 100, 100, 110, 90, 0); /* mark:square */
    }
    TELKA_close();
    return 0;
}
