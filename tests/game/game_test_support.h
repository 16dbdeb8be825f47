// The game's fourteen variables bundled for tests, with calls that pass them
// one by one the way main does.
#pragma once

#include <cstdint>

#include "game.h"
#include "world.h"

struct GameVars {
    int32_t state = STATE_TITLE, level = 0, lives = 0, score = 0;
    int32_t player_x = 0, player_y = 0, player_dir = 0;
    int32_t enemy_x = 0, enemy_y = 0, enemy_alive = 0;
    int32_t bullet_x = 0, bullet_y = 0, bullet_alive = 0, bullet_dir = 0;

    void key(char k) {
        handle_key(state, level, lives, score, k, player_x, player_y, player_dir, enemy_x, enemy_y, enemy_alive,
                   bullet_x, bullet_y, bullet_alive, bullet_dir);
    }
    void step() {
        world_step(state, level, lives, score, player_x, player_y, player_dir, enemy_x, enemy_y, enemy_alive, bullet_x,
                   bullet_y, bullet_alive, bullet_dir);
    }
    // A playing game with the enemy parked far away in a corner.
    static GameVars playing() {
        GameVars g;
        g.state = STATE_PLAYING;
        g.level = 1;
        g.lives = 3;
        g.player_dir = -4;
        g.enemy_x = -295;
        g.enemy_y = -245;
        g.enemy_alive = 1;
        return g;
    }
};
