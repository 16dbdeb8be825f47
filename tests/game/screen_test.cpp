// Screen composition checked by back-buffer pixels at known places: title,
// ready, playing, level complete, died and game over. Text is checked by the
// presence of white ink in its region, never by glyph shapes.
#include "library_fixture.h"
#include "screen.h"
#include "game.h"

namespace {

using libtest::back_pixel;

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kBlue = RGB(0, 0, 255),
                   kYellow = RGB(255, 255, 0), kRed = RGB(255, 0, 0), kMagenta = RGB(255, 0, 255);

// Pixels of `colour` in the window-coordinate box [x1, x2] x [y1, y2].
int count(COLORREF colour, int x1, int y1, int x2, int y2) {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x) n += back_pixel(x, y) == colour;
    return n;
}

struct Scene {
    int32_t state = STATE_READY, level = 1, lives = 3, score = 0;
    int32_t player_x = 0, player_y = 0, player_dir = -4;
    int32_t enemy_x = -200, enemy_y = -150, enemy_alive = 1;
    int32_t bullet_x = 100, bullet_y = -100, bullet_alive = 0;
    void draw() const {
        draw_screen(state, level, lives, score, player_x, player_y, player_dir, enemy_x, enemy_y, enemy_alive,
                    bullet_x, bullet_y, bullet_alive);
    }
};

// Pixels in the box that are not `background`: antialiased ink of a text.
int ink(COLORREF background, int x1, int y1, int x2, int y2) {
    return (x2 - x1 + 1) * (y2 - y1 + 1) - count(background, x1, y1, x2, y2);
}

// The message's place: anchored at (-200, 30), 24 points, lines going down.
int message_ink() { return count(kWhite, -200, -60, 150, 60); }

class ScreenTest : public libtest::LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        TELKA_logging(0);
    }
};

TEST_F(ScreenTest, TitleShowsTheFieldAndTheTitleOnly) {
    Scene s;
    s.state = STATE_TITLE;
    s.draw();
    EXPECT_EQ(back_pixel(0, 255), kWhite);         // outside the playfield
    EXPECT_EQ(libtest::device_pixel(0, 0), kBlack);  // the clear's outline
    EXPECT_EQ(back_pixel(-298, 0), kBlue);         // border
    EXPECT_EQ(back_pixel(0, 240), kBlack);         // no status band
    EXPECT_EQ(ink(kBlack, -290, 231, 290, 244), 0) << "no status texts";
    EXPECT_GT(message_ink(), 200) << "title text";
    EXPECT_EQ(count(kYellow, -300, -250, 300, 250), 0);
    EXPECT_EQ(count(kMagenta, -300, -250, 300, 250), 0);
}

TEST_F(ScreenTest, ReadyAfterANewGame) {
    Scene s;
    s.draw();
    EXPECT_EQ(back_pixel(0, 240), kBlue) << "status band";
    EXPECT_EQ(back_pixel(0, 224), kBlack) << "open area starts below y 225";
    EXPECT_GT(ink(kBlue, -290, 231, -200, 249), 20) << "Level 1";
    EXPECT_GT(ink(kBlue, 0, 231, 100, 249), 20) << "Lives: 3";
    EXPECT_GT(ink(kBlue, 150, 231, 260, 249), 20) << "Score: 0";
    EXPECT_EQ(back_pixel(20, 20), kYellow);
    EXPECT_EQ(back_pixel(15, 5), kYellow);
    EXPECT_EQ(back_pixel(21, 10), kBlack);
    EXPECT_EQ(back_pixel(0, 10), kRed) << "marker on the left edge's middle";
    EXPECT_EQ(back_pixel(-190, -140), kMagenta) << "enemy disc centre";
    EXPECT_EQ(count(kMagenta, -300, -250, 300, 250), count(kMagenta, -200, -150, -180, -130));
    EXPECT_GT(message_ink(), 100) << "Press any key to start.";
}

TEST_F(ScreenTest, PlayingShowsNoMessageAndTheBullet) {
    Scene s;
    s.state = STATE_PLAYING;
    s.player_dir = 9;
    s.bullet_alive = 1;
    s.bullet_x = 100;
    s.bullet_y = -100;
    s.draw();
    EXPECT_EQ(message_ink(), 0);
    EXPECT_EQ(back_pixel(102, -98), kWhite) << "bullet";
    EXPECT_EQ(back_pixel(20, 20), kRed) << "marker at the upper-right corner for direction 9";
}

TEST_F(ScreenTest, LevelCompleteHasNoEnemyAndShowsTheNewLevel) {
    Scene s;
    s.state = STATE_LEVEL_DONE;
    s.level = 2;
    s.score = 250;
    s.enemy_alive = 0;
    s.draw();
    EXPECT_EQ(count(kMagenta, -300, -250, 300, 250), 0);
    EXPECT_GT(message_ink(), 200) << "Congratulations! ...";
    EXPECT_EQ(back_pixel(0, 240), kBlue);
}

TEST_F(ScreenTest, DiedAndGameOverShowTheirMessagesOverTheScene) {
    Scene s;
    s.state = STATE_DIED;
    s.lives = 2;
    s.draw();
    const int died = message_ink();
    EXPECT_GT(died, 100);

    s.state = STATE_GAME_OVER;
    s.lives = -1;
    s.enemy_x = 10;  // touching the player, as the collision left them
    s.enemy_y = 0;
    s.draw();
    const int over = message_ink();
    EXPECT_GT(over, 50);
    EXPECT_LT(over, died) << "one short line against three";
    EXPECT_GT(count(kMagenta, 20, 0, 30, 20), 0) << "enemy drawn over the player";
    EXPECT_GT(ink(kBlue, 0, 231, 120, 249), 20) << "Lives: -1";
}

TEST_F(ScreenTest, EnemyPlacedAtTheCornerDrawsOverTheBorder) {
    Scene s;
    s.enemy_x = 299;
    s.enemy_y = 249;
    s.draw();
    EXPECT_GT(count(kMagenta, 295, 240, 300, 259), 0);
}

}  // namespace
