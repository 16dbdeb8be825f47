/* telka.h in strict C89: compiled with -std=c89 -pedantic -Werror. The
 * drawing calls pass their lines through fixed-arity macros here, and a
 * pointer to an operation still is one. */
#include "telka.h"

int main(void)
{
    int32_t x, y;
    char key;
    Point p;
    int (*draw)(int32_t, int32_t, int32_t) = TELKA_pixel;
    p.x = 1;
    p.y = 2;
    TELKA_open();
    TELKA_circle_pt(TELKA_RED, p, 3);
    TELKA_textf(TELKA_BLUE, 0, 0, 12, "%d", 1);
    TELKA_clear();
    draw(TELKA_RED, 1, 2);
    while (TELKA_await_event(&x, &y, &key) != TELKA_QUIT) {
    }
    TELKA_close();
    return 0;
}
