/* hello: the smallest TELKA program. It opens the windows, draws a greeting
 * and waits for events until the window is closed or q is typed.
 * Build: part of the project (build/bin/hello). */
#include "telka.h"

int main(void)
{
    int32_t x, y;
    char key;
    int kind;

    TELKA_open();     /* always the first call: opens both windows */
    TELKA_logging(0); /* do not describe every drawing call in the text window */

    TELKA_clear();    /* white, with a thin black edge */
    TELKA_circle(TELKA_GOLD, 0, 80, 50);
    TELKA_text(TELKA_NAVY_BLUE, -120, -20, 36, "Hello, world!");
    TELKA_text(TELKA_GRAY_50, -120, -60, 14, "Type q or close the window to end.");

    /* The drawing goes into a hidden picture, the back buffer; the library
     * copies it to the window while the program waits for an event. */
    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT)
            break; /* the window was closed, or Ctrl+Q */
        if (kind == TELKA_KBD && (key == 'q' || key == 'Q'))
            break;
    }

    TELKA_close();    /* always the last call */
    return 0;
}
