// The screens: title, ready, playing, level complete, died and game over.
// Later drawing covers earlier: frame, status band, player, enemy, bullet,
// then the state's message.
#include "screen.h"

#include "game.h"
#include "telka.h"

namespace {

const char *const kReadyMessage = "Press any key to start.";
const char *const kLevelDoneMessage = "Congratulations!\n\nHit space to play the next level.";
const char *const kGameOverMessage = "GAME OVER";
const char *const kTitleMessage =
    "Sample executable for Orbitrex.\n\nUse numeric keypad to control\nplayer, and space bar to shoot.";
const char *const kDiedMessage = "You died.\n\nPress any key to continue.";

}  // namespace

void draw_screen(int32_t state, int32_t level, int32_t lives, int32_t score, int32_t player_x, int32_t player_y,
                 int32_t player_dir, int32_t enemy_x, int32_t enemy_y, int32_t enemy_alive, int32_t bullet_x,
                 int32_t bullet_y, int32_t bullet_alive) {
    TELKA_clear();
    if (state != STATE_TITLE)
        draw_scene(level, lives, score, player_x, player_y, player_dir, enemy_x, enemy_y, enemy_alive, bullet_x,
                   bullet_y, bullet_alive);
    switch (state) {
        case STATE_READY: draw_message(kReadyMessage); break;
        case STATE_LEVEL_DONE: draw_message(kLevelDoneMessage); break;
        case STATE_GAME_OVER: draw_message(kGameOverMessage); break;
        case STATE_DIED: draw_message(kDiedMessage); break;
        case STATE_TITLE:
            draw_frame();
            draw_message(kTitleMessage);
            break;
        default: break;
    }
}

void draw_scene(int32_t level, int32_t lives, int32_t score, int32_t player_x, int32_t player_y, int32_t player_dir,
                int32_t enemy_x, int32_t enemy_y, int32_t enemy_alive, int32_t bullet_x, int32_t bullet_y,
                int32_t bullet_alive) {
    draw_frame();
    draw_status(level, lives, score);
    draw_player(player_x, player_y, player_dir);
    draw_enemy(enemy_x, enemy_y, enemy_alive);
    draw_bullet(bullet_x, bullet_y, bullet_alive);
}

void draw_frame(void) {
    TELKA_rectangle(TELKA_BLUE, -300, -250, 300, 250, 0);
    TELKA_rectangle(TELKA_BLACK, -295, -245, 295, 245, 0);
}

void draw_status(int32_t level, int32_t lives, int32_t score) {
    TELKA_rectangle(TELKA_BLUE, -300, 250, 300, 225, 0);
    draw_level(level);
    draw_lives(lives);
    draw_score(score);
}

void draw_level(int32_t level) { TELKA_textf(TELKA_WHITE, -290, 230, 12, "Level %d", level); }
void draw_lives(int32_t lives) { TELKA_textf(TELKA_WHITE, 0, 230, 12, "Lives: %d", lives); }
void draw_score(int32_t score) { TELKA_textf(TELKA_WHITE, 150, 230, 12, "Score: %d", score); }

void draw_player(int32_t player_x, int32_t player_y, int32_t player_dir) {
    TELKA_rectangle(TELKA_YELLOW, player_x, player_y, player_x + 20, player_y + 20, 0);
    TELKA_circle(TELKA_RED, player_x + 10 + 10 * dir_dx(player_dir), player_y + 10 + 10 * dir_dy(player_dir), 2);
}

void draw_enemy(int32_t enemy_x, int32_t enemy_y, int32_t enemy_alive) {
    if (enemy_alive == 1) TELKA_oval(TELKA_MAGENTA, enemy_x, enemy_y, enemy_x + 20, enemy_y + 20, 0);
}

void draw_bullet(int32_t bullet_x, int32_t bullet_y, int32_t bullet_alive) {
    if (bullet_alive == 1) TELKA_oval(TELKA_WHITE, bullet_x, bullet_y, bullet_x + 5, bullet_y + 5, 0);
}

void draw_message(const char *message) {
    TELKA_textf(TELKA_WHITE, -200, 30, 24, "%s", message);
}
