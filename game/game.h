// The game's states, directions, playfield and set-up routines. The game keeps
// no global data: its variables live in main and are passed one by one.
#pragma once

#include <cstdint>

enum GameState : int32_t {
    STATE_READY = 0,
    STATE_PLAYING = 1,
    STATE_LEVEL_DONE = 2,
    STATE_GAME_OVER = 3,
    STATE_TITLE = 4,
    STATE_DIED = 5,
};

// Unit steps of a keypad direction (7 8 9 / 4 . 6 / 1 2 3, y up); only the
// magnitude counts, so a standing player's negative direction gives the
// steps of the direction it faces.
int32_t dir_dx(int32_t dir);
int32_t dir_dy(int32_t dir);

void handle_key(int32_t &state, int32_t &level, int32_t &lives, int32_t &score, char key, int32_t &player_x,
                int32_t &player_y, int32_t &player_dir, int32_t &enemy_x, int32_t &enemy_y, int32_t &enemy_alive,
                int32_t &bullet_x, int32_t &bullet_y, int32_t &bullet_alive, int32_t &bullet_dir);

void fire_bullet(int32_t &bullet_x, int32_t &bullet_y, int32_t &bullet_alive, int32_t &bullet_dir, int32_t player_x,
                 int32_t player_y, int32_t player_dir);

void new_game(int32_t &state, int32_t &level, int32_t &lives, int32_t &score, int32_t &player_x, int32_t &player_y,
              int32_t &player_dir, int32_t &enemy_x, int32_t &enemy_y, int32_t &enemy_alive, int32_t &bullet_x,
              int32_t &bullet_y, int32_t &bullet_alive, int32_t &bullet_dir);

void init_level(int32_t &player_x, int32_t &player_y, int32_t &player_dir, int32_t &enemy_x, int32_t &enemy_y,
                int32_t &enemy_alive, int32_t &bullet_alive);

void place_enemy(int32_t &enemy_x, int32_t &enemy_y, int32_t &enemy_alive);
