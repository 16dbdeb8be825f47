/* My TELKA program: a starting point. It shows the event loop with all four
 * kinds of event; put your own drawing and reactions where the comments say.
 * The reference is in the docs/ folder of the TELKA project. */
#include "telka.h"

int main(void)
{
    int32_t x, y; /* where a click was: origin in the centre, y up */
    char key;     /* which character was typed */
    int kind;     /* what happened: TELKA_MOUSE, TELKA_KBD, TELKA_PERIODIC, TELKA_QUIT */

    TELKA_open();
    TELKA_logging(0);                 /* 1: describe every drawing call in the text window */
    TELKA_animate(TELKA_ANIMATE_RUN); /* a TELKA_PERIODIC event every 50 ms; remove if not needed */

    TELKA_clear();
    TELKA_text(TELKA_BLACK, -280, 230, 14, "My program. Press q to end.");

    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT)
            break; /* window closed, or Ctrl+Q */

        if (kind == TELKA_MOUSE) {
            /* a left click at (x, y) */
            TELKA_circle(TELKA_RED, x, y, 4);
        } else if (kind == TELKA_KBD) {
            /* a typed character in key */
            if (key == 'q' || key == 'Q')
                break;
        } else if (kind == TELKA_PERIODIC) {
            /* time moves on: update and redraw what moves */
        }
    }

    TELKA_close();
    return 0;
}
