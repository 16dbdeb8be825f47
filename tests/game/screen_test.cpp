// Screen composition: the texts of each screen read exactly from the text
// window's log lines (logging on), and the shapes checked by back-buffer
// pixels at known places. Glyph pixels are never compared.
#include <string>
#include <vector>

#include "library_fixture.h"
#include "screen.h"
#include "game.h"
#include "game_test_support.h"

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

void draw(const GameVars &g) {
    libtest::clear_ring();
    draw_screen(g.state, g.level, g.lives, g.score, g.player_x, g.player_y, g.player_dir, g.enemy_x, g.enemy_y,
                g.enemy_alive, g.bullet_x, g.bullet_y, g.bullet_alive);
}

// A scene of the given state: new-game values, the enemy away from the player.
GameVars scene(int32_t state) {
    GameVars g = GameVars::playing();
    g.state = state;
    g.player_dir = -4;
    g.enemy_x = -200;
    g.enemy_y = -150;
    g.bullet_x = 100;
    g.bullet_y = -100;
    return g;
}

// The log line of one white text, as the library writes it.
std::string text_at(int x, int y, const std::string &text) {
    return "white text at (" + std::to_string(x) + "," + std::to_string(y) + "), \"" + text + "\"";
}
std::vector<std::string> band(const std::string &level, const std::string &lives, const std::string &score) {
    return {text_at(-290, 230, level), text_at(0, 230, lives), text_at(150, 230, score)};
}
std::string message(const std::string &text) { return text_at(-200, 30, text); }
std::vector<std::string> operator+(std::vector<std::string> a, const std::string &b) {
    a.push_back(b);
    return a;
}

const std::string kTitle =
    "Sample executable for Orbitrex.\n\nUse numeric keypad to control\nplayer, and space bar to shoot.";
const std::string kReady = "Press any key to start.";
const std::string kLevelDone = "Congratulations!\n\nHit space to play the next level.";
const std::string kDied = "You died.\n\nPress any key to continue.";
const std::string kGameOver = "GAME OVER";

// The text log lines of the last draw, in order, each without its line
// feed. A text with newlines spans several lines of the log; its entry ends
// at the closing quote that ends a line.
std::vector<std::string> drawn_texts() {
    std::string log;
    for (const std::string &line : libtest::ring_shown()) log += line + "\n";
    std::vector<std::string> texts;
    size_t at = 0;
    while (at < log.size()) {
        const size_t end = log.find('\n', at);
        const std::string line = log.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (line.find(" text at (") == std::string::npos) {
            if (end == std::string::npos) break;
            at = end + 1;
            continue;
        }
        const size_t close = log.find("\"\n", at);
        if (close == std::string::npos) {
            texts.push_back(log.substr(at) + " <unterminated>");
            break;
        }
        texts.push_back(log.substr(at, close + 1 - at));
        at = close + 2;
    }
    return texts;
}

class ScreenTest : public libtest::LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        TELKA_logging(1);  // the log lines tell the texts exactly
    }
};

TEST_F(ScreenTest, TitleShowsTheFieldAndTheTitleOnly) {
    draw(scene(STATE_TITLE));
    EXPECT_EQ(drawn_texts(), std::vector<std::string>{message(kTitle)});
    EXPECT_EQ(back_pixel(0, 255), kWhite);           // outside the playfield
    EXPECT_EQ(libtest::device_pixel(0, 0), kBlack);  // the clear's outline
    EXPECT_EQ(back_pixel(-298, 0), kBlue);           // border
    EXPECT_EQ(back_pixel(0, 240), kBlack);           // no status band
    EXPECT_EQ(count(kYellow, -300, -250, 300, 250), 0);
    EXPECT_EQ(count(kMagenta, -300, -250, 300, 250), 0);
}

TEST_F(ScreenTest, ReadyAfterANewGame) {
    draw(scene(STATE_READY));
    EXPECT_EQ(drawn_texts(), band("Level 1", "Lives: 3", "Score: 0") + message(kReady));
    EXPECT_EQ(back_pixel(0, 240), kBlue) << "status band";
    EXPECT_EQ(back_pixel(0, 224), kBlack) << "open area starts below y 225";
    EXPECT_EQ(back_pixel(20, 20), kYellow);
    EXPECT_EQ(back_pixel(15, 5), kYellow);
    EXPECT_EQ(back_pixel(21, 10), kBlack);
    EXPECT_EQ(back_pixel(0, 10), kRed) << "marker on the left edge's middle";
    EXPECT_EQ(back_pixel(-190, -140), kMagenta) << "enemy disc centre";
    EXPECT_EQ(count(kMagenta, -300, -250, 300, 250), count(kMagenta, -200, -150, -180, -130));
}

TEST_F(ScreenTest, PlayingShowsNoMessageAndTheBullet) {
    GameVars g = scene(STATE_PLAYING);
    g.player_dir = 9;
    g.bullet_alive = 1;
    draw(g);
    EXPECT_EQ(drawn_texts(), band("Level 1", "Lives: 3", "Score: 0"));
    EXPECT_EQ(back_pixel(102, -98), kWhite) << "bullet";
    EXPECT_EQ(back_pixel(20, 20), kRed) << "marker at the upper-right corner for direction 9";
}

TEST_F(ScreenTest, LevelCompleteHasNoEnemyAndShowsTheNewLevel) {
    GameVars g = scene(STATE_LEVEL_DONE);
    g.level = 2;
    g.score = 250;
    g.enemy_alive = 0;
    draw(g);
    EXPECT_EQ(drawn_texts(), band("Level 2", "Lives: 3", "Score: 250") + message(kLevelDone));
    EXPECT_EQ(count(kMagenta, -300, -250, 300, 250), 0);
    EXPECT_EQ(back_pixel(0, 240), kBlue);
}

TEST_F(ScreenTest, DiedAndGameOverShowTheirMessagesOverTheScene) {
    GameVars g = scene(STATE_DIED);
    g.lives = 2;
    draw(g);
    EXPECT_EQ(drawn_texts(), band("Level 1", "Lives: 2", "Score: 0") + message(kDied));

    g.state = STATE_GAME_OVER;
    g.lives = -1;
    g.enemy_x = 10;  // touching the player, as the collision left them
    g.enemy_y = 0;
    draw(g);
    EXPECT_EQ(drawn_texts(), band("Level 1", "Lives: -1", "Score: 0") + message(kGameOver));
    EXPECT_GT(count(kMagenta, 20, 0, 30, 20), 0) << "enemy drawn over the player";
}

TEST_F(ScreenTest, ALargeScoreIsPrintedInFull) {
    GameVars g = scene(STATE_PLAYING);
    g.level = 123456;
    g.score = 2147483647;
    draw(g);
    EXPECT_EQ(drawn_texts(), band("Level 123456", "Lives: 3", "Score: 2147483647"));
}

// A game run down by collisions: each costs one life, the died screen shows
// what is left, and the fourth ends the game with the band at -1.
TEST_F(ScreenTest, TheBandCountsTheLivesDownOnTheWayToGameOver) {
    GameVars g = GameVars::playing();
    for (const char *lives : {"Lives: 2", "Lives: 1", "Lives: 0", "Lives: -1"}) {
        SCOPED_TRACE(lives);
        ASSERT_EQ(g.state, STATE_PLAYING);
        g.enemy_x = g.player_x + 15;  // overlapping the player
        g.enemy_y = g.player_y;
        g.step();
        draw(g);
        const bool over = std::string(lives) == "Lives: -1";
        EXPECT_EQ(g.state, over ? STATE_GAME_OVER : STATE_DIED);
        EXPECT_EQ(drawn_texts(), band("Level 1", lives, "Score: 0") + message(over ? kGameOver : kDied));
        if (!over) g.key(' ');  // any key plays on
    }
}

TEST_F(ScreenTest, EnemyPlacedAtTheCornerDrawsOverTheBorder) {
    GameVars g = scene(STATE_READY);
    g.enemy_x = 299;
    g.enemy_y = 249;
    draw(g);
    EXPECT_GT(count(kMagenta, 295, 240, 300, 259), 0);
}

}  // namespace
