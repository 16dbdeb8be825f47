/* logging: with logging on, every drawing call describes itself in one line
 * of the text window ("TELKA Text"), and TELKA_printf adds lines of your own.
 * Bad arguments are reported there too, logging or not, and a safe value is
 * used instead. Ctrl+L (Run menu: Logging) switches logging on and off. */
#include "telka.h"

int main(void)
{
    int32_t x, y;
    char key;
    int kind;

    TELKA_open();
    TELKA_logging(1); /* also shows the text window */

    TELKA_printf("Hello from TELKA_printf: %d + %d = %d", 2, 2, 2 + 2);
    TELKA_clear();
    TELKA_rectangle(TELKA_ICE_BLUE, -200, 150, 200, -150, 0);
    TELKA_line(TELKA_NAVY_BLUE, -200, -150, 200, 150, 3);
    TELKA_circle(TELKA_GOLD, 0, 0, 40);
    TELKA_text(TELKA_BLACK, -190, 120, 16, "Look at the text window");

    /* Two mistakes: colour 30 does not exist (red is used), and a radius
     * cannot be negative (its size, 15, is used). */
    TELKA_circle(30, -120, -80, 15);
    TELKA_circle(TELKA_GREEN, 120, -80, -15);

    TELKA_logging(0); /* from here on drawing is quiet again */
    TELKA_text(TELKA_GRAY_50, -200, -175, 12, "(this text is not logged)");

    do {
        kind = TELKA_await_event(&x, &y, &key);
    } while (kind != TELKA_QUIT && !(kind == TELKA_KBD && (key == 'q' || key == 'Q')));
    TELKA_close();
    return 0;
}
