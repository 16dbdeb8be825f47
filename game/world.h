// One tick of play: movement, pursuit, the bullet, collisions, points, levels.
// Boxes are a lower-left corner and a size, in window units with y up.
#pragma once

#include <cstdint>

void world_step(int32_t &state, int32_t &level, int32_t &lives, int32_t &score, int32_t &player_x, int32_t &player_y,
                int32_t &player_dir, int32_t &enemy_x, int32_t &enemy_y, int32_t &enemy_alive, int32_t &bullet_x,
                int32_t &bullet_y, int32_t &bullet_alive, int32_t &bullet_dir);

void move_object(int32_t &x, int32_t &y, int32_t width, int32_t height, int32_t direction, int32_t speed);
void move_player(int32_t &player_x, int32_t &player_y, int32_t player_dir);
void move_enemy(int32_t &enemy_x, int32_t &enemy_y, int32_t player_x, int32_t player_y);
void move_bullet(int32_t &bullet_x, int32_t &bullet_y, int32_t &bullet_alive, int32_t bullet_dir);
int32_t pursuit_direction(int32_t from_x, int32_t from_y, int32_t to_x, int32_t to_y);
int32_t boxes_overlap(int32_t x1, int32_t y1, int32_t w1, int32_t h1, int32_t x2, int32_t y2, int32_t w2, int32_t h2);
int32_t bullet_path_hits(int32_t enemy_x, int32_t enemy_y, int32_t enemy_w, int32_t enemy_h, int32_t start_x,
                         int32_t start_y, int32_t end_x, int32_t end_y, int32_t direction);
void lose_life(int32_t &state, int32_t &lives);
void game_over(int32_t &state);
void enemy_hit(int32_t level, int32_t &score, int32_t &bullet_alive, int32_t &enemy_alive);
void level_complete(int32_t &state, int32_t &level, int32_t &score);
