/* The program telka-run's tests run: 40 lines before its first wait (more
 * than the text window keeps), then one line and one disc per event, until
 * 'q' or quit; after 'i' it ignores quit, as a program that never ends;
 * '?' asks a line with TELKA_gets.
 * With RUN_PROBE_ANIMATE set it animates, one periodic event per 50 ms;
 * with RUN_PROBE_SHIFT set its discs from the second event on are one pixel
 * to the right, a changed program for comparisons; RUN_PROBE_STATUS (or,
 * in a sandbox, which passes on no variable, the number in the file
 * run_probe_status in its folder) is the status it returns. */
#include <stdio.h>
#include <stdlib.h>

#include "telka.h"

int main(void)
{
    int32_t x, y;
    char key, line[256];
    int kind, i, n = 0, ignore_quit = 0, status = 0, shift = getenv("RUN_PROBE_SHIFT") != NULL;
    FILE *status_file;

    TELKA_open();
    TELKA_logging(0);
    for (i = 1; i <= 40; ++i)
        TELKA_printf("line %d", i);
    TELKA_clear();
    if (getenv("RUN_PROBE_ANIMATE"))
        TELKA_animate(TELKA_ANIMATE_RUN);
    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        TELKA_printf("event %d: kind %d at (%d, %d) key %d", ++n, kind, (int)x, (int)y, key);
        if (kind == TELKA_KBD && key == 'i')
            ignore_quit = 1;
        if (kind == TELKA_KBD && key == '?')
            TELKA_gets("Your line?", line);
        if ((kind == TELKA_QUIT && !ignore_quit) || (kind == TELKA_KBD && key == 'q'))
            break;
        TELKA_circle(n % 22 + 2, -250 + 20 * n + (shift && n >= 2), 0, 8);
    }
    TELKA_close();
    if (getenv("RUN_PROBE_STATUS"))
        status = atoi(getenv("RUN_PROBE_STATUS"));
    else if ((status_file = fopen("run_probe_status", "r")) != NULL) {
        if (fscanf(status_file, "%d", &status) != 1)
            status = 0;
        fclose(status_file);
    }
    return status;
}
