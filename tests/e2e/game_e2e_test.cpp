// The game as a user meets it: the real binary on the x11 backend under Xvfb,
// driven with xdotool and checked by screen pixels at known places, and by
// the text window's log (captured to a file) where a picture alone could miss
// a frame. With no window manager the graphics window's host sits at the
// screen's top-left: the menu bar takes its first 20 rows, so window point
// (x, y) of the game is screen pixel (300 + x, 280 - y). The enemy starts at
// a random place, so every test that plays steers away from it first.
#include "app_driver.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using e2e::AppDriver;

constexpr uint32_t kBlack = 0x000000, kBlue = 0x0000FF, kYellow = 0xFFFF00, kWhite = 0xFFFFFF, kRed = 0xFF0000,
                   kMagenta = 0xFF00FF;

int sx(int x) { return 300 + x; }
int sy(int y) { return 280 - y; }

std::vector<std::string> lines_of(const std::string &path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Where something of one colour is, in window units (y up).
struct Box {
    bool found = false;
    int left = 0, right = 0, bottom = 0, top = 0;
    int cx() const { return (left + right) / 2; }
    int cy() const { return (bottom + top) / 2; }
};

// The client area below the menu bar, read at one moment.
struct Picture {
    std::vector<uint32_t> px;  // 601 x 520, row 0 is window y = 260
    uint32_t at(int x, int y) const { return px.empty() ? 0xFFFFFFFFu : px[size_t(260 - y) * 601 + size_t(300 + x)]; }
    // Pixels of `colour` inside the window rectangle [x0, x1) x [y0, y1).
    Box box(uint32_t colour, int x0 = -300, int x1 = 301, int y0 = -259, int y1 = 261) const {
        Box b;
        for (int y = std::max(y0, -259); y < std::min(y1, 261); ++y)
            for (int x = std::max(x0, -300); x < std::min(x1, 301); ++x)
                if (at(x, y) == colour) {
                    if (!b.found) b = {true, x, x, y, y};
                    b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                    b.bottom = std::min(b.bottom, y), b.top = std::max(b.top, y);
                }
        return b;
    }
};

// Keypad directions as (dx, dy) steps.
int step_x(int digit) { return digit == 6 ? 1 : digit == 4 ? -1 : 0; }
int step_y(int digit) { return digit == 8 ? 1 : digit == 2 ? -1 : 0; }

// The keypad direction that leads from the player's starting square (centre
// (10, 10)) straight away from the enemy, along the axis on which they are
// further apart: the enemy is slower than the player, so it cannot catch up.
int away_from(const Box &enemy) {
    const int dx = 10 - enemy.cx(), dy = 10 - enemy.cy();
    if (std::abs(dx) >= std::abs(dy)) return dx >= 0 ? 6 : 4;
    return dy >= 0 ? 8 : 2;
}

// The player's square is at least `units` further along `digit` than where
// it starts (lower-left corner (0, 0)).
bool moved(const Box &player, int digit, int units) {
    return player.found && (player.left * step_x(digit) + player.bottom * step_y(digit)) >= units;
}

class GameE2E : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = e2e::make_temp_dir();
        ASSERT_FALSE(dir_.empty()) << "no temporary directory";
        start();
        ASSERT_NE(graphics_, 0u) << "no \"TELKA Graphics\" window";
        // Keys go to the window under the pointer when no window manager runs.
        std::system("xdotool mousemove 300 300 >/dev/null 2>&1");
    }
    void TearDown() override {
        if (!app_) return;
        // A failed test keeps its directory, with a screenshot, for a look.
        if (HasFailure()) {
            app_->screenshot(dir_ + "/failure.png");
            std::fprintf(stderr, "kept %s\n", dir_.c_str());
            return;
        }
        app_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // The game in dir_, its text window's lines captured to dir_/text.log.
    void start() {
        app_.reset();
        app_ = std::make_unique<AppDriver>(
            TELKA_GAME_BINARY, dir_,
            AppDriver::Environment{{"STANDIN_HEADLESS_TEXT", log_path()}});
        graphics_ = app_->find_window("TELKA Graphics");
    }
    std::string log_path() const { return dir_ + "/text.log"; }

    uint32_t at(int x, int y) { return app_->pixel(sx(x), sy(y)); }
    bool shows(int x, int y, uint32_t colour, int timeout_ms = 3000) {
        return app_->eventually([&] { return at(x, y) == colour; }, timeout_ms);
    }
    Picture picture() { return Picture{app_->pixels(0, 20, 601, 520)}; }
    // Checksum of the client area, to tell a still picture from a moving one.
    uint64_t client_checksum() {
        uint64_t sum = 1469598103934665603ull;
        for (uint32_t p : app_->pixels(0, 20, 601, 520)) sum = (sum ^ p) * 1099511628211ull;
        return sum;
    }
    // True once the picture has stayed the same for `hold_ms`; false if it is
    // still changing at the deadline.
    bool holds_still(int hold_ms, int timeout_ms) {
        const double end = e2e::now_ms() + timeout_ms;
        uint64_t last = client_checksum();
        double since = e2e::now_ms();
        while (e2e::now_ms() < end) {
            e2e::sleep_ms(20);
            const uint64_t now = client_checksum();
            if (now != last) {
                last = now;
                since = e2e::now_ms();
            } else if (e2e::now_ms() - since >= hold_ms) {
                return true;
            }
        }
        return false;
    }
    // From the title: a new game (the ready screen shows where the enemy is),
    // then play and steer away from the enemy, plus `more` keys. The keypad
    // digit steered by.
    int play_away_from_enemy(const std::string &more = "") {
        app_->keys("x");
        EXPECT_TRUE(shows(0, 240, kBlue)) << "the status band of a new game";
        Box enemy;
        app_->eventually([&] { return (enemy = picture().box(kMagenta)).found; });
        EXPECT_TRUE(enemy.found) << "no enemy on the ready screen";
        const int away = away_from(enemy);
        // One xdotool run, so that the player stands still for no more than a tick or two.
        app_->keys("x KP_" + std::to_string(away) + (more.empty() ? "" : " " + more));
        return away;
    }

    std::string dir_;
    std::unique_ptr<AppDriver> app_;
    unsigned long graphics_ = 0;
};

TEST_F(GameE2E, OpensBothWindowsWithTheirSizes) {
    int x, y, w, h;
    ASSERT_TRUE(app_->geometry(graphics_, &x, &y, &w, &h));
    EXPECT_EQ(w, 601);
    EXPECT_EQ(h, 540);
    const unsigned long text = app_->find_window("TELKA Text");
    ASSERT_NE(text, 0u) << "no \"TELKA Text\" window";
    ASSERT_TRUE(app_->geometry(text, &x, &y, &w, &h));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 550);
    EXPECT_EQ(w, 601);
    EXPECT_EQ(h, 768 / 4);  // the Xvfb screen is 768 pixels high
}

TEST_F(GameE2E, TitleReadyPlayingFireSteerAndQuit) {
    // Title: blue-bordered black field, no status band.
    EXPECT_TRUE(shows(0, -100, kBlack));
    EXPECT_TRUE(shows(-298, 0, kBlue));
    EXPECT_TRUE(shows(0, 240, kBlack));

    app_->keys("x");  // a new game, waiting for a key
    EXPECT_TRUE(shows(0, 240, kBlue)) << "status band";
    EXPECT_TRUE(shows(15, 15, kYellow)) << "player square";
    EXPECT_TRUE(shows(0, 10, kRed)) << "direction marker, facing left";
    Box enemy;
    ASSERT_TRUE(app_->eventually([&] { return (enemy = picture().box(kMagenta)).found; })) << "the enemy";

    // Play, steer away from the enemy and fire that way, from the square's middle.
    const int away = away_from(enemy);
    app_->keys("x KP_" + std::to_string(away) + " space");
    Box player, bullet;
    EXPECT_TRUE(app_->eventually([&] {
        const Picture p = picture();
        player = p.box(kYellow);
        bullet = p.box(kWhite, -295, 295, -245, 225);  // the open field: no message while playing
        return moved(player, away, 10) && bullet.found &&
               (bullet.cx() - player.cx()) * step_x(away) + (bullet.cy() - player.cy()) * step_y(away) > 10;
    })) << "a bullet flying ahead of the player, towards keypad " << away << "; player at (" << player.left << ", "
        << player.bottom << "), bullet " << (bullet.found ? "at (" + std::to_string(bullet.cx()) + ", " +
                                                                 std::to_string(bullet.cy()) + ")"
                                                           : "not seen");
    EXPECT_TRUE(app_->eventually([&] { return moved(player = picture().box(kYellow), away, 50); }))
        << "the square should walk towards keypad " << away << "; it is at (" << player.left << ", " << player.bottom
        << ")";

    app_->keys("q");
    EXPECT_EQ(app_->wait_exit(), 0);
}

TEST_F(GameE2E, CtrlHHaltsAndCtrlAResumesTheAnimation) {
    // Into play: the player walks away from the enemy, which follows it, so
    // the picture changes on every tick while the animation runs.
    const int away = play_away_from_enemy();
    ASSERT_TRUE(app_->eventually([&] { return moved(picture().box(kYellow), away, 20); })) << "playing";
    app_->keys("ctrl+h");
    ASSERT_TRUE(holds_still(500, 5000)) << "after Ctrl+H the picture kept changing for 5 s";
    const uint64_t still = client_checksum();

    app_->keys("ctrl+a");
    EXPECT_TRUE(app_->eventually([&] { return client_checksum() != still; })) << "no new frame after Ctrl+A";
    app_->keys("Q");
    EXPECT_EQ(app_->wait_exit(), 0);
}

TEST_F(GameE2E, RunMenuQuitEndsTheGame) {
    ASSERT_TRUE(shows(0, -100, kBlack));
    app_->click(15, 10);  // "Run" on the menu bar
    EXPECT_TRUE(app_->eventually([&] { return app_->pixel(150, 150) == 0xD4D0C8; })) << "the popup is open";
    app_->click(40, 192);  // "Quit", the eleventh line of the popup
    EXPECT_EQ(app_->wait_exit(), 0);
}

// The lower-left corners of the player's square in every frame the log holds
// ("yellow rectangle with bounding box (left,top) to (right,bottom), filled").
std::vector<std::pair<int, int>> logged_player_corners(const std::string &path) {
    static const std::regex line(R"(^yellow rectangle with bounding box \((-?\d+),(-?\d+)\) to \((-?\d+),(-?\d+)\))");
    std::vector<std::pair<int, int>> corners;
    std::smatch m;
    for (const std::string &l : lines_of(path))
        if (std::regex_search(l, m, line)) corners.emplace_back(std::stoi(m[1]), std::stoi(m[4]));
    return corners;
}

int count_lines(const std::string &path, const std::string &text) {
    int n = 0;
    for (const std::string &l : lines_of(path)) n += l == text;
    return n;
}

TEST_F(GameE2E, RecordedSessionPlaysBackAndDrivesTheGame) {
    ASSERT_TRUE(shows(0, -100, kBlack));
    app_->keys("ctrl+r");
    const int away = play_away_from_enemy();  // new game, play, steer
    ASSERT_TRUE(app_->eventually([&] { return moved(picture().box(kYellow), away, 20); }));
    app_->keys("ctrl+r");  // the last run of ticks is written, the file closed
    app_->keys("q");
    ASSERT_EQ(app_->wait_exit(), 0);

    const std::vector<std::string> lines = lines_of(dir_ + "/TELKA.SCR");
    std::ostringstream all;
    for (const std::string &l : lines) all << l << "\n";
    ASSERT_GE(lines.size(), 5u) << all.str();
    // Keys and runs of ticks alternate; the keys are x, x and the direction.
    std::vector<std::string> keys;
    for (const std::string &l : lines) {
        if (l.rfind("TELKA_KBD(", 0) == 0) keys.push_back(l);
        else EXPECT_EQ(l.rfind("TELKA_PERIODIC(", 0), 0u) << l;
    }
    const std::string direction = "TELKA_KBD(" + std::to_string('0' + away) + ");";
    EXPECT_EQ(keys, (std::vector<std::string>{"TELKA_KBD(120);", "TELKA_KBD(120);", direction})) << all.str();
    EXPECT_EQ(lines.back().rfind("TELKA_PERIODIC(", 0), 0u) << "the run before Ctrl+R is written";

    // A fresh run replays it with logging on: the log holds every replayed
    // frame, so the step the key caused is seen even if this run's enemy,
    // placed anew, later meets the player.
    start();
    ASSERT_NE(graphics_, 0u);
    ASSERT_TRUE(shows(0, -100, kBlack));
    app_->keys("ctrl+l ctrl+p");
    EXPECT_TRUE(shows(0, 240, kBlue, 5000)) << "the replayed key started a game";
    std::vector<std::pair<int, int>> corners;
    EXPECT_TRUE(app_->eventually(
        [&] {
            corners = logged_player_corners(log_path());
            for (const auto &[x, y] : corners)
                if (x * step_x(away) + y * step_y(away) >= 10) return true;
            return false;
        },
        5000))
        << "no logged frame shows the player moved towards keypad " << away << " (" << corners.size()
        << " frames logged)";
    // A key typed while the file plays is not taken: q waits for its end.
    EXPECT_TRUE(app_->eventually(
        [&] { return count_lines(log_path(), "EOF encountered in script file TELKA.SCR") == 1; }, 10000))
        << "the playback did not reach the end of the file";
    app_->keys("q");
    EXPECT_EQ(app_->wait_exit(), 0);
}

TEST_F(GameE2E, CtrlQQuits) {
    ASSERT_TRUE(shows(0, -100, kBlack));
    app_->keys("ctrl+q");
    EXPECT_EQ(app_->wait_exit(), 0);
}

TEST_F(GameE2E, CtrlQQuitsDuringPlayback) {
    ASSERT_TRUE(shows(0, -100, kBlack));
    std::ofstream(dir_ + "/TELKA.SCR") << "TELKA_PERIODIC(2147483647);\n";
    // Halted, the game draws no frame of its own: once playback runs, each
    // replayed tick draws one, and with logging on each frame is logged.
    app_->keys("ctrl+h ctrl+l");
    const std::string clearing = "Clearing the graphics window";
    int halted = -1;
    ASSERT_TRUE(app_->eventually([&] {
        const int now = count_lines(log_path(), clearing);
        const bool steady = now == halted;
        halted = now;
        if (!steady) e2e::sleep_ms(200);
        return steady;
    }, 5000)) << "frames went on being logged after Ctrl+H";
    app_->keys("ctrl+p");
    EXPECT_TRUE(app_->eventually([&] { return count_lines(log_path(), clearing) >= halted + 5; }))
        << "no replayed frames: the playback did not start";
    app_->keys("ctrl+q");
    EXPECT_EQ(app_->wait_exit(), 0);
}

TEST_F(GameE2E, ClosingTheGraphicsWindowQuits) {
    ASSERT_TRUE(shows(0, -100, kBlack));
    app_->close_window(graphics_);
    EXPECT_EQ(app_->wait_exit(), 0);
}

}  // namespace
