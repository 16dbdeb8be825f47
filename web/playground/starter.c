/* Welcome to the TELKA playground!
 * Press Run (or Ctrl+Enter) to start this program.
 * Click in its window to plant a flower; press c to
 * clear the garden and q to quit. Then change something
 * (a colour, a size) and run it again. */
#include <stdio.h>
#include <telka.h>

/* A flower with its heart at (x, y).
 * (0, 0) is the centre of the window; y goes up. */
static void draw_flower(int x, int y, int colour)
{
    TELKA_line(TELKA_FOREST_GREEN, x, y, x, y - 45, 3);
    TELKA_circle(colour, x - 11, y, 10);
    TELKA_circle(colour, x + 11, y, 10);
    TELKA_circle(colour, x, y + 11, 10);
    TELKA_circle(colour, x, y - 11, 10);
    TELKA_circle(TELKA_GOLD, x, y, 7);
}

static void draw_garden(void)
{
    TELKA_clear();
    /* sky, grass and sun */
    TELKA_rectangle(TELKA_ICE_BLUE, -300, -80, 300, 260, 0);
    TELKA_rectangle(TELKA_SEA_GREEN, -300, -259, 300, -80, 0);
    TELKA_circle(TELKA_YELLOW, 220, 170, 45);
    TELKA_text(TELKA_NAVY_BLUE, -280, 220, 18,
               "Click to plant a flower. c clears, q quits.");
    draw_flower(0, -120, TELKA_RED);
}

int main(void)
{
    int colours[] = {TELKA_RED, TELKA_MAGENTA, TELKA_ORANGE,
                     TELKA_PURPLE, TELKA_PINK};
    int32_t x, y;
    char key;
    int kind;
    int flowers = 0;

    TELKA_open();
    TELKA_logging(0);
    draw_garden();
    printf("The garden is ready: click in the window.\n");

    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT || (kind == TELKA_KBD && key == 'q'))
            break;
        if (kind == TELKA_MOUSE) {
            draw_flower(x, y, colours[flowers % 5]);
            flowers = flowers + 1;
            printf("Flower %d planted at (%d, %d)\n", flowers, x, y);
        } else if (kind == TELKA_KBD && key == 'c') {
            draw_garden();
            flowers = 0;
        }
    }
    TELKA_close();
    return 0;
}
