/* telka.h in strict C89: compiled with -std=c89 -pedantic -Werror. */
#include "telka.h"

int main(void)
{
    int32_t x, y;
    char key;
    TELKA_open();
    while (TELKA_await_event(&x, &y, &key) != TELKA_QUIT) {
    }
    TELKA_close();
    return 0;
}
