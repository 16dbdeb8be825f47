/* keyboard: the letters you type appear in the window; Backspace takes the
 * last one back, Enter starts afresh. Each key event carries one character:
 * Shift gives capitals, Enter is '\r' (13) and Backspace is '\b' (8).
 * Letters of other keyboards come in Windows-1252 (e is 233 with its accent),
 * above 127, so the code is read as an unsigned char. */
#include <string.h>

#include "telka.h"

#define MAX_TYPED 30

static void show(const char *typed, unsigned char last)
{
    TELKA_clear();
    TELKA_text(TELKA_GRAY_50, -280, 200, 14, "Type something (Enter clears, Esc ends):");
    TELKA_text(TELKA_NAVY_BLUE, -280, 100, 36, typed);
    if (last >= ' ' && last != 127)
        TELKA_textf(TELKA_GRAY_50, -280, 20, 14, "last key: '%c', code %d", last, last);
    else
        TELKA_textf(TELKA_GRAY_50, -280, 20, 14, "last key: code %d", last);
}

int main(void)
{
    char typed[MAX_TYPED + 1] = "";
    size_t n = 0;
    int32_t x, y;
    char key = 0;
    int kind;

    TELKA_open();
    TELKA_logging(0);
    show(typed, 0);

    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT || (kind == TELKA_KBD && key == 27)) /* 27: Esc */
            break;
        if (kind != TELKA_KBD)
            continue;
        if (key == '\b') { /* Backspace */
            if (n > 0)
                typed[--n] = '\0';
        } else if (key == '\r') { /* Enter */
            n = 0;
            typed[0] = '\0';
        } else if ((unsigned char)key >= ' ' && key != 127 && n < MAX_TYPED) { /* a printable character */
            typed[n++] = key;
            typed[n] = '\0';
        }
        show(typed, (unsigned char)key);
    }
    TELKA_close();
    return 0;
}
