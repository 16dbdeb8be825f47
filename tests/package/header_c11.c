/* telka.h in C11: compiled with -std=c11 -pedantic -Werror. A compound
 * literal's comma stays inside its argument of the call-site macros. */
#include "telka.h"

#include <stdbool.h>

int main(void)
{
    EventRecord rec;
    int (*draw)(int32_t, Point, int32_t) = &TELKA_circle_pt;
    TELKA_open();
    TELKA_circle_pt(TELKA_RED, (Point){1, 2}, 3);
    TELKA_textf_pt(TELKA_BLUE, (Point){0, 0}, 12, "%s %d", "x", 1);
    (TELKA_line)(TELKA_RED, 0, 0, 1, 1, 0);
    draw(TELKA_RED, (Point){3, 4}, 5);
    for (bool more = true; more;)
        more = TELKA_await_event_rec(&rec) != TELKA_QUIT;
    TELKA_close();
    return 0;
}
