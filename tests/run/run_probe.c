/* The program telka-run's test runs: 40 lines before its first wait (more
 * than the text window keeps), then one line and one disc per event, until
 * 'q' or quit. */
#include "telka.h"

int main(void)
{
    int32_t x, y;
    char key;
    int kind, i, n = 0;

    TELKA_open();
    TELKA_logging(0);
    for (i = 1; i <= 40; ++i)
        TELKA_printf("line %d", i);
    TELKA_clear();
    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        TELKA_printf("event %d: kind %d at (%d, %d) key %d", ++n, kind, (int)x, (int)y, key);
        if (kind == TELKA_QUIT || (kind == TELKA_KBD && key == 'q'))
            break;
        TELKA_circle(n % 22 + 2, -250 + 20 * n, 0, 8);
    }
    TELKA_close();
    return 0;
}
