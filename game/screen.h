// Composition of each screen from the game variables, redrawn from nothing on
// every periodic event through the library's drawing operations.
#pragma once

#include <cstdint>

void draw_screen(int32_t state, int32_t level, int32_t lives, int32_t score, int32_t player_x, int32_t player_y,
                 int32_t player_dir, int32_t enemy_x, int32_t enemy_y, int32_t enemy_alive, int32_t bullet_x,
                 int32_t bullet_y, int32_t bullet_alive);
void draw_scene(int32_t level, int32_t lives, int32_t score, int32_t player_x, int32_t player_y, int32_t player_dir,
                int32_t enemy_x, int32_t enemy_y, int32_t enemy_alive, int32_t bullet_x, int32_t bullet_y,
                int32_t bullet_alive);
void draw_frame(void);
void draw_status(int32_t level, int32_t lives, int32_t score);
void draw_level(int32_t level);
void draw_lives(int32_t lives);
void draw_score(int32_t score);
void draw_player(int32_t player_x, int32_t player_y, int32_t player_dir);
void draw_enemy(int32_t enemy_x, int32_t enemy_y, int32_t enemy_alive);
void draw_bullet(int32_t bullet_x, int32_t bullet_y, int32_t bullet_alive);
void draw_message(const char *message);
