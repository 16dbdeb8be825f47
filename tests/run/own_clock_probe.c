/* A program with a global of its own named like a C library clock (`clock`),
 * as a student's counter may be: it must still link with the library, which
 * defines the clocks of a steered run, and keep its own. It counts periodic
 * events in it and prints the count after five. */
#include "telka.h"

int clock = 0;

int main(void)
{
    int32_t x, y;
    char key;

    TELKA_open();
    TELKA_animate(TELKA_ANIMATE_RUN);
    while (clock < 5)
        if (TELKA_await_event(&x, &y, &key) == TELKA_PERIODIC)
            ++clock;
    TELKA_printf("clock %d", clock);
    TELKA_close();
    return 0;
}
