// The game's main loop run whole on the headless backend, steered by a test
// player that reads every frame from the text window's log lines (it turns
// logging on with Ctrl+L first): from each of the six states, q or Q ends
// the game, and a click before it changes nothing.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "library_fixture.h"
#include "game_test_support.h"

namespace {

using libtest::kMs;

// What one frame's log lines tell about the game.
struct Frame {
    std::vector<std::string> lines;  // the frame's log lines
    int state = -1;
    int32_t level = 0, lives = 0, score = 0;
    int32_t player_x = 0, player_y = 0, enemy_x = 0, enemy_y = 0;
    bool enemy_alive = false, bullet_alive = false;
};

// The last frame in the ring: the lines from its "Clearing" line on. False
// while no frame has been logged yet.
bool last_frame(Frame *f) {
    // Painting the text window drops each stored line's line feed; this
    // reads them all without it.
    const std::vector<std::string> ring = libtest::ring_shown();
    size_t start = ring.size();
    for (size_t i = ring.size(); i-- > 0;)
        if (ring[i] == "Clearing the graphics window") {
            start = i;
            break;
        }
    if (start == ring.size()) return false;
    *f = Frame{};
    f->lines.assign(ring.begin() + static_cast<std::ptrdiff_t>(start), ring.end());
    bool band = false;
    f->state = STATE_PLAYING;
    for (const std::string &l : f->lines) {
        int a, b, c, d;
        if (std::sscanf(l.c_str(), "yellow rectangle with bounding box (%d,%d) to (%d,%d)", &a, &b, &c, &d) == 4) {
            f->player_x = a;
            f->player_y = d;
        } else if (std::sscanf(l.c_str(), "magenta oval with bounding box (%d,%d) to (%d,%d)", &a, &b, &c, &d) == 4) {
            f->enemy_x = a;
            f->enemy_y = d;
            f->enemy_alive = true;
        } else if (l.rfind("white oval with bounding box", 0) == 0) {
            f->bullet_alive = true;
        } else if (std::sscanf(l.c_str(), "white text at (-290,230), \"Level %d\"", &a) == 1) {
            f->level = a;
            band = true;
        } else if (std::sscanf(l.c_str(), "white text at (0,230), \"Lives: %d\"", &a) == 1) {
            f->lives = a;
        } else if (std::sscanf(l.c_str(), "white text at (150,230), \"Score: %d\"", &a) == 1) {
            f->score = a;
        } else if (l.rfind("white text at (-200,30), \"", 0) == 0) {
            const std::string text = l.substr(std::string("white text at (-200,30), \"").size());
            const struct {
                const char *start;
                int state;
            } kMessages[] = {{"Sample executable", STATE_TITLE}, {"Press any key", STATE_READY},
                             {"Congratulations!", STATE_LEVEL_DONE}, {"GAME OVER", STATE_GAME_OVER},
                             {"You died.", STATE_DIED}};
            f->state = -1;
            for (const auto &m : kMessages)
                if (text.rfind(m.start, 0) == 0) f->state = m.state;
        }
    }
    if (!band && f->state == STATE_PLAYING) f->state = -1;  // a frame the game did not draw
    return true;
}

// A frame's lines but the enemy's, which moves by itself while playing.
std::vector<std::string> without_enemy(std::vector<std::string> lines) {
    std::erase_if(lines, [](const std::string &l) { return l.rfind("magenta oval", 0) == 0; });
    return lines;
}

// A shot the player can fire now, standing, that hits the enemy before it
// touches the player, found by playing the next ticks on a copy of the
// game's variables: the keys that turn, stop and fire, or "".
std::string hitting_shot(const Frame &f) {
    for (char d : std::string("12346789")) {
        GameVars g = GameVars::playing();
        g.level = f.level;
        g.lives = f.lives;
        g.score = f.score;
        g.player_x = f.player_x;
        g.player_y = f.player_y;
        g.enemy_x = f.enemy_x;
        g.enemy_y = f.enemy_y;
        const std::string keys = {d, '5', ' '};
        for (char k : keys) g.key(k);
        for (int tick = 0; tick < 20 && g.state == STATE_PLAYING; ++tick) g.step();
        if (g.state == STATE_LEVEL_DONE) return keys;
    }
    return "";
}

// Steers the game to `goal`, clicks once there, then types `quit`. Acts at
// most once per frame; gives up (Ctrl+Q, a failure) after `limit`.
struct Player {
    int goal = STATE_TITLE;
    char quit = 'q';
    int64_t start = 0;
    int64_t next_act = 0;       // virtual time of the next decision
    bool logging = false;
    Frame before_click;
    int64_t clicked_at = -1;
    bool click_checked = false;
    bool click_changed_nothing = false;
    int64_t quit_at = -1;
    bool gave_up = false;
    int64_t limit = 120 * 1000 * kMs;  // two virtual minutes

    void act() {
        const int64_t now = standin::headless_now_ns();
        if (gave_up || now < next_act) return;
        next_act = now + 120 * kMs;  // a frame or two after any input
        if (!logging) {
            logging = true;
            libtest::inject_ctrl_letter('l');
            return;
        }
        if (now - start > limit || (quit_at >= 0 && now - quit_at > 2000 * kMs)) {
            ADD_FAILURE() << (quit_at >= 0 ? "the game did not end after the quit key" : "the goal was never reached");
            gave_up = true;
            libtest::inject_ctrl_letter('q');
            return;
        }
        if (quit_at >= 0) return;
        Frame f;
        if (!last_frame(&f)) return;
        if (clicked_at >= 0) {
            // The frame drawn after the click is the frame before it; while
            // playing, only the enemy has moved on meanwhile.
            click_checked = true;
            click_changed_nothing = without_enemy(f.lines) == without_enemy(before_click.lines);
            standin::headless_type_text(std::string(1, quit).c_str());
            quit_at = now;
            return;
        }
        if (f.state == goal) {
            before_click = f;
            libtest::inject_click(100, -100);
            clicked_at = now;
            return;
        }
        switch (f.state) {
            case STATE_TITLE:
            case STATE_READY:
            case STATE_DIED:
            case STATE_GAME_OVER: standin::headless_type_text("x"); break;
            case STATE_LEVEL_DONE: standin::headless_type_text(" "); break;
            case STATE_PLAYING:
                if (goal == STATE_LEVEL_DONE && f.enemy_alive && !f.bullet_alive) {
                    const std::string keys = hitting_shot(f);
                    if (!keys.empty()) {
                        standin::headless_type_text(keys.c_str());
                        break;
                    }
                }
                next_act = now + 1;  // look again at the next frame
                break;
            default: break;
        }
    }
};

HINSTANCE__ g_module{};

// Runs the game's main as WinMain would, with `player` at every blocking wait.
int run_game(const std::shared_ptr<Player> &player) {
    EXPECT_TRUE(libtest::start_headless());
    lib.instance = &g_module;
    lib.cmdShow = SW_SHOWNORMAL;
    player->start = standin::headless_now_ns();
    standin::headless_set_wait_hook([player](int64_t) { player->act(); });
    standin::headless_set_idle_hook([player] {
        player->act();
        return true;
    });
    const int result = TELKA_main();
    standin::headless_set_wait_hook(nullptr);
    standin::headless_set_idle_hook(nullptr);
    return result;
}

void expect_quit_from(int state, char key) {
    auto player = std::make_shared<Player>();
    player->goal = state;
    player->quit = key;
    EXPECT_EQ(run_game(player), 0);
    EXPECT_FALSE(player->gave_up);
    EXPECT_TRUE(player->click_checked);
    EXPECT_TRUE(player->click_changed_nothing);
    EXPECT_GE(player->quit_at, 0);
}

TEST(GameMain, QuitFromTheTitle) { expect_quit_from(STATE_TITLE, 'q'); }
TEST(GameMain, QuitFromReady) { expect_quit_from(STATE_READY, 'Q'); }
TEST(GameMain, QuitWhilePlaying) { expect_quit_from(STATE_PLAYING, 'q'); }
TEST(GameMain, QuitWhenDied) { expect_quit_from(STATE_DIED, 'Q'); }
TEST(GameMain, QuitAtLevelComplete) { expect_quit_from(STATE_LEVEL_DONE, 'q'); }
TEST(GameMain, QuitAtGameOver) { expect_quit_from(STATE_GAME_OVER, 'Q'); }

}  // namespace
