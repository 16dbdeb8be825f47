// The game's entry: opens the library, then answers one event at a time until
// a quit event or "q"/"Q". Every periodic event advances the world while
// playing and redraws the whole window in every state.
#include <cstdlib>
#include <ctime>

#include "game.h"
#include "screen.h"
#include "telka.h"
#include "world.h"

int main(void) {
    int32_t quit = 0;
    int32_t state = STATE_TITLE;
    // Nothing reads these before the first new game; zero is a clean start.
    int32_t level = 0, lives = 0, score = 0;
    int32_t player_x = 0, player_y = 0, player_dir = 0;
    int32_t enemy_x = 0, enemy_y = 0, enemy_alive = 0;
    int32_t bullet_x = 0, bullet_y = 0, bullet_alive = 0, bullet_dir = 0;
    int32_t mouse_x = 0, mouse_y = 0;
    char key = 0;

    TELKA_open();
    TELKA_logging(0);
    TELKA_animate(TELKA_ANIMATE_RUN);
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    while (quit == 0) {
        switch (TELKA_await_event(&mouse_x, &mouse_y, &key)) {
            case TELKA_KBD:
                if (key == 'q' || key == 'Q') {
                    quit = 1;
                } else {
                    handle_key(state, level, lives, score, key, player_x, player_y, player_dir, enemy_x, enemy_y,
                               enemy_alive, bullet_x, bullet_y, bullet_alive, bullet_dir);
                }
                break;
            case TELKA_PERIODIC:
                if (state == STATE_PLAYING)
                    world_step(state, level, lives, score, player_x, player_y, player_dir, enemy_x, enemy_y,
                               enemy_alive, bullet_x, bullet_y, bullet_alive, bullet_dir);
                draw_screen(state, level, lives, score, player_x, player_y, player_dir, enemy_x, enemy_y, enemy_alive,
                            bullet_x, bullet_y, bullet_alive);
                break;
            case TELKA_QUIT: quit = 1; break;
            default: break;  // clicks change nothing
        }
    }

    TELKA_close();
    return 0;
}
