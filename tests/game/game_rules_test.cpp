// Key handling, firing and set-up: the state machine as pure functions of the
// game's variables.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game_test_support.h"

namespace {

TEST(Directions, FollowTheKeypadWithYUp) {
    const int dx[10] = {0, -1, 0, 1, -1, 0, 1, -1, 0, 1};
    const int dy[10] = {0, -1, -1, -1, 0, 0, 0, 1, 1, 1};
    for (int d : {1, 2, 3, 4, 6, 7, 8, 9}) {
        EXPECT_EQ(dir_dx(d), dx[d]) << d;
        EXPECT_EQ(dir_dy(d), dy[d]) << d;
        EXPECT_EQ(dir_dx(-d), dx[d]) << "negative " << d;  // a standing player faces |dir|
        EXPECT_EQ(dir_dy(-d), dy[d]) << "negative " << d;
    }
}

TEST(StateMachine, TitleThenReadyThenPlaying) {
    GameVars g;
    g.key('x');
    EXPECT_EQ(g.state, STATE_READY);
    EXPECT_EQ(g.level, 1);
    EXPECT_EQ(g.lives, 3);
    EXPECT_EQ(g.score, 0);
    EXPECT_EQ(g.player_x, 0);
    EXPECT_EQ(g.player_y, 0);
    EXPECT_EQ(g.player_dir, -4);
    EXPECT_EQ(g.enemy_alive, 1);
    EXPECT_EQ(g.bullet_alive, 0);
    g.key('8');  // ends the ready screen without turning the player
    EXPECT_EQ(g.state, STATE_PLAYING);
    EXPECT_EQ(g.player_dir, -4);
}

TEST(StateMachine, ReadyAndDiedKeysAreNotAppliedToPlay) {
    GameVars g = GameVars::playing();
    g.state = STATE_DIED;
    g.key(' ');
    EXPECT_EQ(g.state, STATE_PLAYING);
    EXPECT_EQ(g.bullet_alive, 0);  // space ended the screen, it did not fire
    g.state = STATE_READY;
    g.key('9');
    EXPECT_EQ(g.state, STATE_PLAYING);
    EXPECT_EQ(g.player_dir, -4);
}

TEST(StateMachine, LevelDoneWaitsForSpaceOnly) {
    GameVars g = GameVars::playing();
    g.state = STATE_LEVEL_DONE;
    g.player_x = 100;
    for (char k : {'a', '0', '8', '\r'}) {
        g.key(k);
        EXPECT_EQ(g.state, STATE_LEVEL_DONE) << k;
    }
    g.key(' ');
    EXPECT_EQ(g.state, STATE_READY);
    EXPECT_EQ(g.player_x, 0);  // the level was set up again
    EXPECT_EQ(g.player_dir, -4);
}

TEST(StateMachine, GameOverTakesThreeKeysToPlayAgain) {
    GameVars g = GameVars::playing();
    g.state = STATE_GAME_OVER;
    g.key('a');
    EXPECT_EQ(g.state, STATE_TITLE);
    g.key('a');
    EXPECT_EQ(g.state, STATE_READY);
    g.key('a');
    EXPECT_EQ(g.state, STATE_PLAYING);
}

TEST(PlayingKeys, DigitsSteerAndFiveStopsAndResumes) {
    GameVars g = GameVars::playing();
    g.key('5');
    EXPECT_EQ(g.player_dir, 4);  // standing facing left -> moving left
    g.key('5');
    EXPECT_EQ(g.player_dir, -4);
    g.key('9');
    EXPECT_EQ(g.player_dir, 9);
    g.key('5');
    g.key('5');
    EXPECT_EQ(g.player_dir, 9);
    for (char k : {'a', 'Z', '!', static_cast<char>(0xE9)}) {
        g.key(k);
        EXPECT_EQ(g.player_dir, 9) << static_cast<int>(k);
    }
}

TEST(PlayingKeys, FireStartsOneBulletFromTheSquareMiddle) {
    GameVars g = GameVars::playing();
    g.player_x = 40;
    g.player_y = -20;
    g.key(' ');
    EXPECT_EQ(g.bullet_alive, 1);
    EXPECT_EQ(g.bullet_x, 48);
    EXPECT_EQ(g.bullet_y, -12);
    EXPECT_EQ(g.bullet_dir, 4);  // a standing player fires the way it faces
    g.player_dir = 8;
    g.player_x = 0;
    g.key('0');  // a second shot while one is in flight does nothing
    EXPECT_EQ(g.bullet_x, 48);
    EXPECT_EQ(g.bullet_dir, 4);
}

TEST(PlaceEnemy, NeverInsideTheCentralSquare) {
    std::srand(12345);
    for (int i = 0; i < 5000; ++i) {
        int32_t x = 7, y = 7, alive = 0;
        place_enemy(x, y, alive);
        EXPECT_EQ(alive, 1);
        EXPECT_TRUE(std::abs(x) >= 70 || std::abs(y) >= 70) << x << "," << y;
        EXPECT_GE(x, -300);
        EXPECT_LE(x, 299);
        EXPECT_GE(y, -250);
        EXPECT_LE(y, 249);
    }
}

}  // namespace
