/* mouse-draw: every left click puts a dot where you click and joins it to
 * the previous dot with a line; c clears the drawing, q ends. The back
 * buffer keeps what was drawn until it is cleared, so each click only adds. */
#include "telka.h"

static void start_page(void)
{
    TELKA_clear();
    TELKA_text(TELKA_GRAY_50, -290, 240, 12, "Click to draw. c clears, q ends.");
}

int main(void)
{
    int32_t x, y, last_x = 0, last_y = 0;
    int have_last = 0; /* is there a previous dot to join? */
    char key;
    int kind;

    TELKA_open();
    TELKA_logging(0);
    start_page();

    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT || (kind == TELKA_KBD && (key == 'q' || key == 'Q')))
            break;
        if (kind == TELKA_KBD && (key == 'c' || key == 'C')) {
            start_page();
            have_last = 0;
        } else if (kind == TELKA_MOUSE) {
            /* x and y are library coordinates: origin in the centre, y up */
            if (have_last)
                TELKA_line(TELKA_BLUE, last_x, last_y, x, y, 2);
            TELKA_circle(TELKA_RED, x, y, 5);
            /* white box under the coordinates, so the old ones disappear */
            TELKA_rectangle(TELKA_WHITE, 150, 259, 299, 230, 0);
            TELKA_textf(TELKA_BLACK, 160, 240, 12, "last click (%d, %d)", x, y);
            last_x = x;
            last_y = y;
            have_last = 1;
        }
    }
    TELKA_close();
    return 0;
}
