/* script-replay: a click puts a numbered dot where you click; c clears and
 * starts the numbers again. Record and replay a drawing with the Run menu:
 *   Ctrl+R  starts recording: every event the program gets from now on is
 *           written to TELKA.SCR in the current folder; Ctrl+R again stops.
 *   Ctrl+P  plays TELKA.SCR back: the program gets the recorded events
 *           again, in order, instead of your clicks and keys.
 *   Ctrl+O  plays just the next event of the script (Play One Script).
 * Try: Ctrl+R, click a few times, Ctrl+R, c, Ctrl+P: the same drawing
 * comes back, because the program only ever reacts to the events it gets. */
#include "telka.h"

static void start_page(int32_t *dots)
{
    TELKA_clear();
    TELKA_text(TELKA_GRAY_50, -290, 240, 12, "Click to draw, c clears. Ctrl+R records, Ctrl+P replays.");
    *dots = 0;
}

int main(void)
{
    int32_t dots, x, y;
    char key;
    int kind;

    TELKA_open();
    TELKA_logging(0);
    TELKA_printf("Ctrl+R: record to TELKA.SCR, Ctrl+P: play it back, Ctrl+O: one event");
    start_page(&dots);

    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT || (kind == TELKA_KBD && (key == 'q' || key == 'Q')))
            break;
        if (kind == TELKA_KBD && (key == 'c' || key == 'C')) {
            start_page(&dots);
        } else if (kind == TELKA_MOUSE) {
            ++dots;
            TELKA_circle(dots % 22 + 2, x, y, 12); /* a colour per dot, never white */
            TELKA_textf(TELKA_BLACK, x + 14, y - 6, 14, "%d", dots);
            TELKA_printf("dot %d at (%d, %d)", dots, x, y);
        }
    }
    TELKA_close();
    return 0;
}
