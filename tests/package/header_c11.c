/* telka.h in C11: compiled with -std=c11 -pedantic -Werror. */
#include "telka.h"

#include <stdbool.h>

int main(void)
{
    EventRecord rec;
    TELKA_open();
    for (bool more = true; more;)
        more = TELKA_await_event_rec(&rec) != TELKA_QUIT;
    TELKA_close();
    return 0;
}
