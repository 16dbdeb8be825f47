// Key handling of the six-state machine, firing, and the set-up of a new
// game, a level and a life.
#include "game.h"

#include <cstdlib>

int32_t dir_dx(int32_t dir) {
    switch (std::abs(dir)) {
        case 1: case 4: case 7: return -1;
        case 3: case 6: case 9: return 1;
        default: return 0;
    }
}

int32_t dir_dy(int32_t dir) {
    switch (std::abs(dir)) {
        case 1: case 2: case 3: return -1;
        case 7: case 8: case 9: return 1;
        default: return 0;
    }
}

static void play_key(char key, int32_t &player_x, int32_t &player_y, int32_t &player_dir, int32_t &bullet_x,
                     int32_t &bullet_y, int32_t &bullet_alive, int32_t &bullet_dir) {
    if (key == ' ' || key == '0') {
        fire_bullet(bullet_x, bullet_y, bullet_alive, bullet_dir, player_x, player_y, player_dir);
    } else if (key == '5') {
        player_dir = -player_dir;
    } else if (key >= '1' && key <= '9') {
        player_dir = key - '0';
    }
}

void handle_key(int32_t &state, int32_t &level, int32_t &lives, int32_t &score, char key, int32_t &player_x,
                int32_t &player_y, int32_t &player_dir, int32_t &enemy_x, int32_t &enemy_y, int32_t &enemy_alive,
                int32_t &bullet_x, int32_t &bullet_y, int32_t &bullet_alive, int32_t &bullet_dir) {
    switch (state) {
        case STATE_READY: state = STATE_PLAYING; break;
        case STATE_PLAYING:
            play_key(key, player_x, player_y, player_dir, bullet_x, bullet_y, bullet_alive, bullet_dir);
            break;
        case STATE_LEVEL_DONE:
            if (key == ' ') {
                init_level(player_x, player_y, player_dir, enemy_x, enemy_y, enemy_alive, bullet_alive);
                state = STATE_READY;
            }
            break;
        case STATE_GAME_OVER: state = STATE_TITLE; break;
        case STATE_TITLE:
            new_game(state, level, lives, score, player_x, player_y, player_dir, enemy_x, enemy_y, enemy_alive,
                     bullet_x, bullet_y, bullet_alive, bullet_dir);
            break;
        case STATE_DIED: state = STATE_PLAYING; break;
        default: break;
    }
}

void fire_bullet(int32_t &bullet_x, int32_t &bullet_y, int32_t &bullet_alive, int32_t &bullet_dir, int32_t player_x,
                 int32_t player_y, int32_t player_dir) {
    if (bullet_alive != 0) return;
    bullet_alive = 1;
    bullet_dir = std::abs(player_dir);
    bullet_x = player_x + 8;
    bullet_y = player_y + 8;
}

void new_game(int32_t &state, int32_t &level, int32_t &lives, int32_t &score, int32_t &player_x, int32_t &player_y,
              int32_t &player_dir, int32_t &enemy_x, int32_t &enemy_y, int32_t &enemy_alive, int32_t &bullet_x,
              int32_t &bullet_y, int32_t &bullet_alive, int32_t &bullet_dir) {
    (void)bullet_x;  // the bullet's position and direction wait for the first shot
    (void)bullet_y;
    (void)bullet_dir;
    state = STATE_READY;
    level = 1;
    score = 0;
    lives = 3;
    init_level(player_x, player_y, player_dir, enemy_x, enemy_y, enemy_alive, bullet_alive);
}

void init_level(int32_t &player_x, int32_t &player_y, int32_t &player_dir, int32_t &enemy_x, int32_t &enemy_y,
                int32_t &enemy_alive, int32_t &bullet_alive) {
    player_x = 0;
    player_y = 0;
    player_dir = -4;  // standing, facing left
    place_enemy(enemy_x, enemy_y, enemy_alive);
    bullet_alive = 0;
}

void place_enemy(int32_t &enemy_x, int32_t &enemy_y, int32_t &enemy_alive) {
    enemy_alive = 1;
    enemy_x = 0;
    enemy_y = 0;
    // Keep the enemy's corner at least 70 units from the centre on one axis.
    while (std::abs(enemy_x) < 70 && std::abs(enemy_y) < 70) {
        enemy_x = std::rand() % 600 - 300;
        enemy_y = std::rand() % 500 - 250;
    }
}
