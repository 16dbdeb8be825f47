/* bounce: a ball that moves a little on every periodic event and bounces off
 * the edges. TELKA_animate(TELKA_ANIMATE_RUN) starts the periodic events,
 * one every 50 ms; Ctrl+H halts them, Ctrl+A runs them again and Ctrl+F
 * advances one frame at a time (the Run menu has the same commands). */
#include "telka.h"

#define RADIUS 20
#define LEFT (-300) /* the visible area, see docs/coordinates.md */
#define RIGHT 300
#define TOP 260
#define BOTTOM (-259)

int main(void)
{
    int32_t bx = -200, by = 100; /* the ball's centre */
    int32_t dx = 7, dy = -5;     /* its move per periodic event */
    int32_t frames = 0;
    int32_t x, y;
    char key;
    int kind;

    TELKA_open();
    TELKA_logging(0);
    TELKA_animate(TELKA_ANIMATE_RUN);

    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT || (kind == TELKA_KBD && (key == 'q' || key == 'Q')))
            break;
        if (kind != TELKA_PERIODIC)
            continue; /* clicks and other keys change nothing here */

        /* Turn round before the ball would leave the area, then move. */
        if (bx + dx - RADIUS < LEFT || bx + dx + RADIUS > RIGHT)
            dx = -dx;
        if (by + dy - RADIUS < BOTTOM || by + dy + RADIUS > TOP)
            dy = -dy;
        bx += dx;
        by += dy;
        ++frames;

        /* Every frame draws the whole scene again, from a clear buffer. */
        TELKA_clear();
        TELKA_circle(TELKA_ORANGE, bx, by, RADIUS);
        TELKA_textf(TELKA_GRAY_50, -290, -250, 12, "frame %d   ball at (%d, %d)", frames, bx, by);
    }
    TELKA_close();
    return 0;
}
