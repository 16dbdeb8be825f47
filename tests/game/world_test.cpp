// The world step's edge cases: clamps and sliding, pursuit thresholds, the
// bullet's flight and removal, the swept hit test, collisions and scoring.
#include <gtest/gtest.h>

#include "game_test_support.h"

namespace {

TEST(MoveObject, ClampsToTheOpenAreaAndSlidesAlongWalls) {
    int32_t x = 270, y = 0;
    move_object(x, y, 20, 20, 6, 10);
    EXPECT_EQ(x, 275);
    x = 0;
    y = 200;
    move_object(x, y, 20, 20, 8, 10);
    EXPECT_EQ(y, 205);
    x = 275;
    y = 0;
    move_object(x, y, 20, 20, 9, 10);  // into the right wall: slides up
    EXPECT_EQ(x, 275);
    EXPECT_EQ(y, 10);
    x = -290;
    y = -240;
    move_object(x, y, 20, 20, 1, 10);
    EXPECT_EQ(x, -295);
    EXPECT_EQ(y, -245);
}

TEST(MoveObject, StandingStillIsStillClamped) {
    int32_t x = 299, y = 249;
    move_object(x, y, 20, 20, -6, 10);
    EXPECT_EQ(x, 275);
    EXPECT_EQ(y, 205);
    x = 50;
    y = 50;
    move_object(x, y, 20, 20, -6, 10);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 50);
}

TEST(Pursuit, StrictThresholds) {
    EXPECT_EQ(pursuit_direction(0, 0, 40, 10), 6);   // slope 0.25: horizontal
    EXPECT_EQ(pursuit_direction(0, 0, 40, 30), 9);   // slope 0.75: diagonal
    EXPECT_EQ(pursuit_direction(0, 0, 40, 31), 8);   // steeper: vertical
    EXPECT_EQ(pursuit_direction(0, 0, -40, 10), 4);
    EXPECT_EQ(pursuit_direction(0, 0, -40, 30), 7);
    EXPECT_EQ(pursuit_direction(0, 0, -40, -30), 1);
    EXPECT_EQ(pursuit_direction(0, 0, 40, -30), 3);
    EXPECT_EQ(pursuit_direction(0, 0, 40, -31), 2);
    EXPECT_EQ(pursuit_direction(0, 0, -40, -10), 4);
}

TEST(Pursuit, VerticalAndCoincidingCentres) {
    EXPECT_EQ(pursuit_direction(5, 50, 5, 0), 2);  // enemy straight above the player
    EXPECT_EQ(pursuit_direction(5, -50, 5, 0), 8);
    EXPECT_EQ(pursuit_direction(7, 7, 7, 7), 6);
}

TEST(Overlap, TouchingEdgesCount) {
    EXPECT_EQ(boxes_overlap(0, 0, 20, 20, 20, 0, 20, 20), 1);
    EXPECT_EQ(boxes_overlap(0, 0, 20, 20, 21, 0, 20, 20), 0);
    EXPECT_EQ(boxes_overlap(0, 0, 20, 20, 0, -20, 20, 20), 1);
    EXPECT_EQ(boxes_overlap(0, 0, 20, 20, 0, -21, 20, 20), 0);
}

TEST(Bullet, FliesLeftAndIsRemovedAtTheWall) {
    int32_t x = 8, y = 8, alive = 1;
    move_bullet(x, y, alive, 4);
    EXPECT_EQ(x, -22);
    EXPECT_EQ(alive, 1);
    for (int i = 0; i < 9; ++i) move_bullet(x, y, alive, 4);
    EXPECT_EQ(x, -292);
    EXPECT_EQ(alive, 0);
}

TEST(BulletPath, TestsStartAndEveryFiveUnitsButNotTheEnd) {
    // Enemy box 20x20 at x 40..60; bullet path from 0 to 30 tests 0..25: 25+5 = 30 < 40.
    EXPECT_EQ(bullet_path_hits(40, 0, 20, 20, 0, 0, 30, 0, 6), 0);
    // Touching edge to edge at a tested position (25 + 5 == 30) is a hit.
    EXPECT_EQ(bullet_path_hits(30, 0, 20, 20, 0, 0, 30, 0, 6), 1);
    // The end corner itself is not tested.
    EXPECT_EQ(bullet_path_hits(36, 0, 20, 20, 0, 0, 30, 0, 6), 0);
    // Start equal to end: nothing is tested.
    EXPECT_EQ(bullet_path_hits(0, 0, 20, 20, 0, 0, 0, 0, 6), 0);
}

TEST(WorldStep, RemovedBulletIsNotTestedOnItsLastStretch) {
    GameVars g = GameVars::playing();
    g.player_x = 200;  // out of the enemy's way
    g.player_y = 150;
    g.bullet_alive = 1;
    g.bullet_dir = 4;
    g.bullet_x = -262;
    g.bullet_y = 0;
    g.enemy_x = -285;  // within the bullet's last stretch (-262 .. -292)
    g.enemy_y = -10;
    g.step();
    EXPECT_EQ(g.bullet_alive, 0);
    EXPECT_EQ(g.enemy_alive, 1);
    EXPECT_EQ(g.state, STATE_PLAYING);
    EXPECT_EQ(g.score, 0);
}

TEST(WorldStep, HitCompletesTheLevelWithPoints) {
    GameVars g = GameVars::playing();
    g.level = 3;
    g.score = 500;
    g.player_x = -200;
    g.player_y = -200;
    g.bullet_alive = 1;
    g.bullet_dir = 6;
    g.bullet_x = 0;
    g.bullet_y = 100;
    g.enemy_x = 28;  // pursues straight down to (28, 96), into the bullet's path
    g.enemy_y = 100;
    g.step();
    EXPECT_EQ(g.state, STATE_LEVEL_DONE);
    EXPECT_EQ(g.score, 850);
    EXPECT_EQ(g.level, 4);
    EXPECT_EQ(g.enemy_alive, 0);
    EXPECT_EQ(g.bullet_alive, 0);
}

TEST(WorldStep, EdgeToEdgeContactCostsALifeAndResetsTheField) {
    GameVars g = GameVars::playing();
    g.player_dir = -4;
    g.player_x = 0;
    g.player_y = 0;
    g.enemy_x = 24;  // moves 4 left onto x = 20: touching
    g.enemy_y = 0;
    g.bullet_alive = 1;
    g.bullet_dir = 8;
    g.bullet_x = 100;
    g.bullet_y = -200;
    g.step();
    EXPECT_EQ(g.state, STATE_DIED);
    EXPECT_EQ(g.lives, 2);
    EXPECT_EQ(g.player_x, 0);
    EXPECT_EQ(g.player_y, 0);
    EXPECT_EQ(g.player_dir, -4);
    EXPECT_EQ(g.bullet_alive, 0);
    EXPECT_TRUE(std::abs(g.enemy_x) >= 70 || std::abs(g.enemy_y) >= 70);
}

TEST(WorldStep, FourthCollisionEndsTheGameAndLeavesTheField) {
    GameVars g = GameVars::playing();
    for (int expected_lives : {2, 1, 0}) {
        g.state = STATE_PLAYING;
        g.enemy_x = 0;
        g.enemy_y = 0;
        g.step();
        EXPECT_EQ(g.state, STATE_DIED);
        EXPECT_EQ(g.lives, expected_lives);
    }
    g.state = STATE_PLAYING;
    g.player_x = 100;
    g.player_y = 100;
    g.player_dir = -4;
    g.enemy_x = 110;
    g.enemy_y = 100;
    g.step();
    EXPECT_EQ(g.state, STATE_GAME_OVER);
    EXPECT_EQ(g.lives, -1);
    EXPECT_EQ(g.player_x, 100);  // the final scene shows where it happened
    EXPECT_EQ(g.enemy_alive, 1);
}

TEST(WorldStep, GameOverTickDoesNotScoreAHit) {
    GameVars g = GameVars::playing();
    g.lives = 0;
    g.player_x = 100;
    g.player_y = 100;
    g.enemy_x = 110;
    g.enemy_y = 100;
    g.bullet_alive = 1;  // a bullet whose path crosses the enemy in the same tick
    g.bullet_dir = 6;
    g.bullet_x = 80;
    g.bullet_y = 105;
    g.step();
    EXPECT_EQ(g.state, STATE_GAME_OVER);
    EXPECT_EQ(g.lives, -1);
    EXPECT_EQ(g.score, 0);
    EXPECT_EQ(g.level, 1);
}

TEST(WorldStep, EnemyPursuesThePlayersNewPosition) {
    GameVars g = GameVars::playing();
    g.player_dir = 6;
    g.player_x = 0;
    g.player_y = 0;
    g.enemy_x = -200;
    g.enemy_y = 0;
    g.step();
    EXPECT_EQ(g.player_x, 10);
    EXPECT_EQ(g.enemy_x, -196);
    EXPECT_EQ(g.enemy_y, 0);
}

}  // namespace
