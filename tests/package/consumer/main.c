/* A program of someone else's, built outside the tree against the library
 * however it was found: it prints a line, draws, and ends on 'q' or quit. */
#include "telka.h"

int main(void)
{
    int32_t x, y;
    char key;
    int kind;

    TELKA_open();
    TELKA_logging(0);
    TELKA_printf("consumer: the library is here");
    TELKA_clear();
    TELKA_circle(TELKA_FOREST_GREEN, 0, 0, 60);
    TELKA_text(TELKA_BLACK, -100, 100, 18, "Built outside the tree");
    do {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_MOUSE)
            TELKA_printf("consumer: click at (%d, %d)", (int)x, (int)y);
    } while (kind != TELKA_QUIT && !(kind == TELKA_KBD && key == 'q'));
    TELKA_printf("consumer: done");
    TELKA_close();
    return 0;
}
