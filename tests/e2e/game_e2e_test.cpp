// The game as a user meets it: the real binary on the x11 backend under Xvfb,
// driven with xdotool and checked by screen pixels at known places. With no
// window manager the graphics window's host sits at the screen's top-left:
// the menu bar takes its first 20 rows, so window point (x, y) of the game is
// screen pixel (300 + x, 280 - y).
#include "app_driver.h"

#include <X11/Xutil.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using e2e::AppDriver;

constexpr uint32_t kBlack = 0x000000, kBlue = 0x0000FF, kYellow = 0xFFFF00, kWhite = 0xFFFFFF, kRed = 0xFF0000;

int sx(int x) { return 300 + x; }
int sy(int y) { return 280 - y; }

class GameE2E : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = e2e::make_temp_dir();
        ASSERT_FALSE(dir_.empty()) << "no temporary directory";
        app_ = std::make_unique<AppDriver>(TELKA_GAME_BINARY, dir_);
        graphics_ = app_->find_window("TELKA Graphics");
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
    uint32_t at(int x, int y) { return app_->pixel(sx(x), sy(y)); }
    bool shows(int x, int y, uint32_t colour, int timeout_ms = 3000) {
        return app_->eventually([&] { return at(x, y) == colour; }, timeout_ms);
    }
    // The square has left its starting place towards the right.
    bool moved_right() {
        if (at(5, 10) == kYellow) return false;
        for (int x = 30; x < 290; x += 5)
            if (at(x, 10) == kYellow) return true;
        return false;
    }
    // Checksum of the client area, to tell a still picture from a moving one.
    uint64_t client_checksum() {
        Display *d = XOpenDisplay(nullptr);
        XImage *image = XGetImage(d, DefaultRootWindow(d), 0, 20, 601, 520, AllPlanes, ZPixmap);
        uint64_t sum = 1469598103934665603ull;
        for (int y = 0; image && y < 520; ++y)
            for (int x = 0; x < 601; ++x) sum = (sum ^ (XGetPixel(image, x, y) & 0xFFFFFF)) * 1099511628211ull;
        if (image) XDestroyImage(image);
        XCloseDisplay(d);
        return sum;
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

    app_->keys("x");  // play
    app_->keys("space");  // fire left from the square's middle
    EXPECT_TRUE(app_->eventually([&] {
        for (int x = -290; x < 0; ++x)
            if (at(x, 10) == kWhite) return true;
        return false;
    })) << "a bullet flying left";

    app_->keys("KP_8");  // move up
    EXPECT_TRUE(app_->eventually([&] {
        if (at(10, 10) == kYellow) return false;
        for (int y = 40; y < 225; ++y)
            if (at(10, y) == kYellow) return true;
        return false;
    })) << "the square moved up";

    app_->keys("q");
    EXPECT_EQ(app_->wait_exit(), 0);
}

TEST_F(GameE2E, CtrlHHaltsAndCtrlAResumesTheAnimation) {
    app_->keys("x x");  // into play: the enemy moves on every tick
    ASSERT_TRUE(shows(0, 240, kBlue));
    e2e::sleep_ms(200);
    app_->keys("ctrl+h");
    e2e::sleep_ms(200);
    const uint64_t still = client_checksum();
    e2e::sleep_ms(400);
    EXPECT_EQ(client_checksum(), still) << "halted, the picture should not change";

    app_->keys("ctrl+a");
    EXPECT_TRUE(app_->eventually([&] { return client_checksum() != still; })) << "running again";
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

std::vector<std::string> lines_of(const std::string &path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(GameE2E, RecordedSessionPlaysBackAndDrivesTheGame) {
    ASSERT_TRUE(shows(0, -100, kBlack));
    app_->keys("ctrl+r");
    app_->keys("x");  // new game
    ASSERT_TRUE(shows(0, 240, kBlue));
    app_->keys("x");     // play
    app_->keys("KP_6");  // move right
    ASSERT_TRUE(app_->eventually([&] { return moved_right(); }));
    app_->keys("ctrl+r");  // the last run of ticks is written, the file closed
    app_->keys("q");
    ASSERT_EQ(app_->wait_exit(), 0);

    const std::vector<std::string> lines = lines_of(dir_ + "/TELKA.SCR");
    std::ostringstream all;
    for (const std::string &l : lines) all << l << "\n";
    ASSERT_GE(lines.size(), 5u) << all.str();
    // Keys and runs of ticks alternate; the keys are x, x and 6.
    std::vector<std::string> keys;
    for (const std::string &l : lines) {
        if (l.rfind("TELKA_KBD(", 0) == 0) keys.push_back(l);
        else EXPECT_EQ(l.rfind("TELKA_PERIODIC(", 0), 0u) << l;
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"TELKA_KBD(120);", "TELKA_KBD(120);", "TELKA_KBD(54);"})) << all.str();
    EXPECT_EQ(lines.back().rfind("TELKA_PERIODIC(", 0), 0u) << "the run before Ctrl+R is written";

    // A fresh run replays it: new game, play, and the square walks right.
    app_ = std::make_unique<AppDriver>(TELKA_GAME_BINARY, dir_);
    graphics_ = app_->find_window("TELKA Graphics");
    ASSERT_NE(graphics_, 0u);
    ASSERT_TRUE(shows(0, -100, kBlack));
    app_->keys("ctrl+p");
    EXPECT_TRUE(shows(0, 240, kBlue, 5000)) << "the replayed key started a game";
    EXPECT_TRUE(app_->eventually([&] { return moved_right(); }, 5000)) << "the replayed 6 moved the player";
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
    app_->keys("ctrl+p");
    e2e::sleep_ms(300);
    app_->keys("ctrl+q");
    EXPECT_EQ(app_->wait_exit(), 0);
}

TEST_F(GameE2E, ClosingTheGraphicsWindowQuits) {
    ASSERT_TRUE(shows(0, -100, kBlack));
    app_->close_window(graphics_);
    EXPECT_EQ(app_->wait_exit(), 0);
}

}  // namespace
