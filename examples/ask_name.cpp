// ask-name: a small program on the TELKA library's public header alone. It
// asks for the user's name in the line-input dialog, then greets them in the
// graphics window among a few shapes, until the window closes or 'q' is typed.
#include <cstring>

#include "telka.h"

int main(void) {
    char name[256] = "";  // TELKA_gets needs room for 255 characters and a NUL

    TELKA_open();
    TELKA_logging(0);
    // 0 means the dialog could not be shown: the buffer is then left as it was.
    if (!TELKA_gets("What is your name?", name) || name[0] == '\0') std::strcpy(name, "stranger");

    TELKA_clear();
    TELKA_rectangle(TELKA_ICE_BLUE, -300, -270, 300, 270, 0);        // sky
    TELKA_rectangle(TELKA_FOREST_GREEN, -300, -270, 300, -120, 0);   // meadow
    TELKA_circle(TELKA_GOLD, 200, 170, 50);                          // sun
    TELKA_triangle(TELKA_OLIVE, -280, -120, -140, 90, 0, -120, 0);   // hill
    TELKA_oval(TELKA_WHITE, -220, 140, -80, 190, 0);                 // cloud
    TELKA_rectangle(TELKA_WHITE, -260, -20, 260, 60, 0);             // card behind the greeting
    TELKA_rectangle(TELKA_NAVY_BLUE, -260, -20, 260, 60, 3);         // and its frame
    TELKA_textf(TELKA_NAVY_BLUE, -240, 0, 24, "Hello, %s!", name);   // the text's cell stands on its anchor
    TELKA_text(TELKA_GRAY_50, -240, -240, 12, "Press q or close the window to quit.");
    TELKA_flush();

    int32_t x = 0, y = 0;
    char key = 0;
    for (;;) {
        const int kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT) break;
        if (kind == TELKA_KBD && (key == 'q' || key == 'Q')) break;
    }
    TELKA_close();
    return 0;
}
