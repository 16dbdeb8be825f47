// The world step. In a tick whose collision ends the game, the bullet is not
// tested for a hit: the game stays over instead of completing a level with
// no lives left.
#include "world.h"

#include <cmath>

#include "game.h"

namespace {

constexpr int32_t kPlayerSpeed = 10;
constexpr int32_t kEnemySpeed = 4;
constexpr int32_t kBulletSpeed = 30;
constexpr int32_t kPathStep = 5;
constexpr int32_t kBodySize = 20;   // player and enemy
constexpr int32_t kBulletSize = 5;
constexpr int32_t kAreaLeft = -295;  // the open area
constexpr int32_t kAreaRight = 295;
constexpr int32_t kAreaBottom = -245;
constexpr int32_t kAreaTop = 225;

}  // namespace

void move_object(int32_t &x, int32_t &y, int32_t width, int32_t height, int32_t direction, int32_t speed) {
    if (direction > 0) {
        x = x + speed * dir_dx(direction);
        y = y + speed * dir_dy(direction);
    }
    if (x > kAreaRight - width) {
        x = kAreaRight - width;
    } else if (x < kAreaLeft) {
        x = kAreaLeft;
    }
    if (y > kAreaTop - height) {
        y = kAreaTop - height;
    } else if (y < kAreaBottom) {
        y = kAreaBottom;
    }
}

void move_player(int32_t &player_x, int32_t &player_y, int32_t player_dir) {
    move_object(player_x, player_y, kBodySize, kBodySize, player_dir, kPlayerSpeed);
}

void move_enemy(int32_t &enemy_x, int32_t &enemy_y, int32_t player_x, int32_t player_y) {
    const int32_t dir = pursuit_direction(enemy_x + 10, enemy_y + 10, player_x + 10, player_y + 10);
    move_object(enemy_x, enemy_y, kBodySize, kBodySize, dir, kEnemySpeed);
}

void move_bullet(int32_t &bullet_x, int32_t &bullet_y, int32_t &bullet_alive, int32_t bullet_dir) {
    move_object(bullet_x, bullet_y, kBulletSize, kBulletSize, bullet_dir, kBulletSpeed);
    if (bullet_x >= 290 || bullet_x <= -290 || bullet_y >= 215 || bullet_y <= -240) bullet_alive = 0;
}

int32_t pursuit_direction(int32_t from_x, int32_t from_y, int32_t to_x, int32_t to_y) {
    const double dx = static_cast<double>(to_x) - from_x;
    const double dy = static_cast<double>(to_y) - from_y;
    if (dx == 0 && dy == 0) return 6;
    const double r = dx == 0 ? INFINITY : std::fabs(dy / dx);
    if (dy >= 0) {
        if (r > 0.75) return 8;
        if (r > 0.25) return dx < 0 ? 7 : 9;
        return dx < 0 ? 4 : 6;
    }
    if (r > 0.75) return 2;
    if (r > 0.25) return dx < 0 ? 1 : 3;
    return dx < 0 ? 4 : 6;
}

int32_t boxes_overlap(int32_t x1, int32_t y1, int32_t w1, int32_t h1, int32_t x2, int32_t y2, int32_t w2, int32_t h2) {
    return y1 <= y2 + h2 && y2 <= y1 + h1 && x1 <= x2 + w2 && x2 <= x1 + w1 ? 1 : 0;
}

int32_t bullet_path_hits(int32_t enemy_x, int32_t enemy_y, int32_t enemy_w, int32_t enemy_h, int32_t start_x,
                         int32_t start_y, int32_t end_x, int32_t end_y, int32_t direction) {
    int32_t x = start_x;
    int32_t y = start_y;
    // The point follows the bullet's own direction and clamp, so it reaches
    // the end corner after at most six steps.
    while (!(x == end_x && y == end_y)) {
        if (boxes_overlap(enemy_x, enemy_y, enemy_w, enemy_h, x, y, kBulletSize, kBulletSize)) return 1;
        const int32_t before_x = x;
        const int32_t before_y = y;
        move_object(x, y, kBulletSize, kBulletSize, direction, kPathStep);
        if (x == before_x && y == before_y) return 0;  // a point that cannot move never gets there
    }
    return 0;
}

void lose_life(int32_t &state, int32_t &lives) {
    lives = lives - 1;
    state = STATE_DIED;
}

void game_over(int32_t &state) { state = STATE_GAME_OVER; }

void enemy_hit(int32_t level, int32_t &score, int32_t &bullet_alive, int32_t &enemy_alive) {
    bullet_alive = 0;
    enemy_alive = 0;
    score = score + 50 * level;
}

void level_complete(int32_t &state, int32_t &level, int32_t &score) {
    state = STATE_LEVEL_DONE;
    score = score + 200;
    level = level + 1;
}

void world_step(int32_t &state, int32_t &level, int32_t &lives, int32_t &score, int32_t &player_x, int32_t &player_y,
                int32_t &player_dir, int32_t &enemy_x, int32_t &enemy_y, int32_t &enemy_alive, int32_t &bullet_x,
                int32_t &bullet_y, int32_t &bullet_alive, int32_t &bullet_dir) {
    const int32_t start_x = bullet_x;
    const int32_t start_y = bullet_y;
    move_player(player_x, player_y, player_dir);
    move_enemy(enemy_x, enemy_y, player_x, player_y);
    move_bullet(bullet_x, bullet_y, bullet_alive, bullet_dir);

    if (boxes_overlap(player_x, player_y, kBodySize, kBodySize, enemy_x, enemy_y, kBodySize, kBodySize) &&
        enemy_alive == 1) {
        lose_life(state, lives);
        if (lives < 0) {
            game_over(state);
            return;  // the field stays as it was at the collision
        }
        init_level(player_x, player_y, player_dir, enemy_x, enemy_y, enemy_alive, bullet_alive);
    }

    if (bullet_alive == 1 && bullet_path_hits(enemy_x, enemy_y, kBodySize, kBodySize, start_x, start_y, bullet_x,
                                              bullet_y, bullet_dir)) {
        enemy_hit(level, score, bullet_alive, enemy_alive);
        level_complete(state, level, score);
    }
}
