// Writes every event the library hands out to events.txt in the current
// directory, one per line, until a quit event or the key "q"/"Q". Started
// halted, it receives nothing but what a played-back script delivers, so the
// file lists the events of that script as this platform's reader saw them.
// Public API only; built for Linux and for Windows.
#include <cstdio>

#include "telka.h"

int main(void) {
    TELKA_open();
    TELKA_logging(0);
    FILE *out = std::fopen("events.txt", "w");
    if (!out) {
        TELKA_printf("script_echo: cannot write events.txt\n");
        TELKA_close();
        return 1;
    }
    for (;;) {
        int32_t x = 0, y = 0;
        char key = 0;
        const int kind = TELKA_await_event(&x, &y, &key);
        switch (kind) {
            case TELKA_MOUSE: std::fprintf(out, "MOUSE %d %d\n", static_cast<int>(x), static_cast<int>(y)); break;
            case TELKA_KBD: std::fprintf(out, "KBD %d\n", key); break;
            case TELKA_PERIODIC: std::fprintf(out, "PERIODIC\n"); break;
            default: std::fprintf(out, "QUIT\n"); break;
        }
        std::fflush(out);
        if (kind == TELKA_QUIT || (kind == TELKA_KBD && (key == 'q' || key == 'Q'))) break;
    }
    std::fclose(out);
    TELKA_close();
    return 0;
}
