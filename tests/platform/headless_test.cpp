// The headless backend and backend selection: the idle hook and the exit
// when input can never come, the wait hook, the virtual clock, window pixel
// access, PNG dumps of presented frames, and the clear failures of a bad
// STANDIN_BACKEND or a missing display.
#include "backends/backend.h"
#include "automation.h"
#include "gdi/target.h"
#include "gdi/gdi_objects.h"
#include "user/window_hooks.h"
#include "window_recorder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace user_test;

namespace {

class Headless : public UserTest {};

constexpr int64_t kMs = 1000000;

TEST_F(Headless, IdleHookFeedsInputWhenTheProgramWouldBlock) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 40, 40);
    drain();
    int calls = 0;
    standin::headless_set_idle_hook([&] {
        ++calls;
        standin::headless_key_press('Z');
        return true;
    });
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(m.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(m.hwnd, h);
    EXPECT_EQ(m.wParam, static_cast<WPARAM>('Z'));
    EXPECT_EQ(standin::headless_pending_input(), 0u);
}

TEST_F(Headless, WaitingForInputThatNeverComesEndsTheRun) {
    EXPECT_EXIT(
        {
            MSG m;
            GetMessageA(&m, nullptr, 0, 0);
        },
        ::testing::ExitedWithCode(3), "headless: the program waits for input that will never come");
    EXPECT_EXIT(
        {
            standin::headless_set_idle_hook([] { return false; });
            MSG m;
            GetMessageA(&m, nullptr, 0, 0);
        },
        ::testing::ExitedWithCode(3), "waits for input that will never come");
}

TEST_F(Headless, VirtualClockJumpsToTheDeadlineWithoutSleeping) {
    HWND h = top();
    const int64_t t0 = standin::headless_now_ns();
    SetTimer(h, 1, 50, nullptr);
    MSG m;
    std::vector<int64_t> at;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
        ASSERT_EQ(m.message, static_cast<UINT>(WM_TIMER));
        at.push_back((standin::headless_now_ns() - t0) / kMs);
        EXPECT_EQ(m.time, static_cast<DWORD>(standin::headless_now_ns() / kMs));
    }
    EXPECT_EQ(at, (std::vector<int64_t>{50, 100, 150}));
    standin::headless_advance_clock(7 * kMs);
    EXPECT_EQ((standin::headless_now_ns() - t0) / kMs, 157);
    standin::headless_advance_clock(-100 * kMs);  // the clock never runs backwards
    EXPECT_EQ((standin::headless_now_ns() - t0) / kMs, 157);
}

TEST_F(Headless, WaitHookCanInjectInputAtAVirtualTime) {
    // A click "at 120 ms" while a 50 ms timer runs: it arrives before the
    // tick at 150 ms, and the clock stops at 100 ms, where the wait began.
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 40, 40);
    drain();
    const int64_t t0 = standin::headless_now_ns();
    SetTimer(h, 1, 50, nullptr);
    bool clicked = false;
    standin::headless_set_wait_hook([&](int64_t deadline) {
        if (!clicked && deadline - t0 >= 120 * kMs) {
            clicked = true;
            standin::headless_click(h, 3, 4);
        }
    });
    std::vector<std::string> got;
    MSG m;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
        got.push_back(msg_name(m.message));
    }
    EXPECT_EQ(got, (std::vector<std::string>{"WM_TIMER", "WM_TIMER", "WM_LBUTTONDOWN", "WM_LBUTTONUP"}));
    EXPECT_EQ((standin::headless_now_ns() - t0) / kMs, 100);
}

TEST_F(Headless, WindowPixelsAreReadableByClientCoordinates) {
    standin::MenuHooks hooks;
    hooks.bar_height = [](HWND, HMENU, int) { return 20; };
    standin::set_menu_hooks(hooks);
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 60, 50);
    standin::window_set_menu(h, reinterpret_cast<HMENU>(uintptr_t{1}));
    HWND c = child(h, 10, 10, 20, 20);
    drain();
    HDC dc = GetDC(c);
    standin::Target t;
    ASSERT_TRUE(standin::dc_target(standin::gdi_dc(dc), &t));
    standin::put_pixel(t, 2, 3, 0x00ABCDEFu);
    ReleaseDC(c, dc);
    EXPECT_EQ(standin::window_pixel(c, 2, 3), 0x00ABCDEFu);
    EXPECT_EQ(standin::window_pixel(h, 12, 13), 0x00ABCDEFu);
    standin::PixelView host;
    ASSERT_TRUE(standin::window_host_pixels(h, &host));
    EXPECT_EQ(host.at(12, 33), 0x00ABCDEFu);
    EXPECT_EQ(standin::window_pixel(c, 20, 0), 0xFFFFFFFFu);  // outside the client area
    EXPECT_EQ(standin::window_pixel(c, -1, 0), 0xFFFFFFFFu);
    EXPECT_FALSE(standin::window_host_pixels(c, &host));  // a child has no host surface
}

TEST_F(Headless, PresentedFramesAreDumpedAsPng) {
    const std::string dir = ::testing::TempDir() + "headless_dump_" + std::to_string(::getpid());
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(standin::headless_set_dump_dir(dir));
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 30, 20);
    drain();
    std::vector<uint32_t> popup(4 * 4, 0x00FF0000u);
    standin::window_set_overlay(h, RECT{0, 0, 4, 4}, popup.data(), 4);
    PostMessageA(h, WM_USER, 0, 0);
    MSG m;
    GetMessageA(&m, nullptr, 0, 0);
    standin::headless_set_dump_dir("");

    std::vector<std::filesystem::path> frames;
    for (const auto &e : std::filesystem::directory_iterator(dir)) frames.push_back(e.path());
    std::sort(frames.begin(), frames.end());
    ASSERT_GE(frames.size(), 2u);  // the first paint, then the overlay
    std::vector<uint32_t> px;
    int w = 0, hgt = 0;
    ASSERT_TRUE(standin::read_png(frames.back().string(), &px, &w, &hgt));
    EXPECT_EQ(w, 30);
    EXPECT_EQ(hgt, 20);
    EXPECT_EQ(px[0], 0x00FF0000u);          // the overlay is in the frame
    EXPECT_EQ(px[5 * 30 + 5], 0x00FFFFFFu);  // the window's own pixels around it
    EXPECT_EQ(standin::window_pixel(h, 0, 0), 0x00FFFFFFu);
    std::filesystem::remove_all(dir);

    EXPECT_FALSE(standin::headless_set_dump_dir("/proc/no/such/dir"));
}

TEST_F(Headless, WritesAWindowAsPng) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 16, 8);
    drain();
    const std::string path = ::testing::TempDir() + "window_" + std::to_string(::getpid()) + ".png";
    ASSERT_TRUE(standin::write_window_png(h, path));
    std::vector<uint32_t> px;
    int w = 0, hgt = 0;
    ASSERT_TRUE(standin::read_png(path, &px, &w, &hgt));
    EXPECT_EQ(w, 16);
    EXPECT_EQ(hgt, 8);
    std::remove(path.c_str());
    EXPECT_FALSE(standin::write_window_png(nullptr, path));
}

// Backend selection is decided once per process, so each case runs in a
// fresh process of its own.
class BackendChoice : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(BackendChoice, UnknownNameIsRefusedClearly) {
    EXPECT_EXIT(
        {
            setenv("STANDIN_BACKEND", "wayland", 1);
            standin::backend();
        },
        ::testing::ExitedWithCode(1), ": unknown STANDIN_BACKEND 'wayland' \\(use x11 or headless\\)");
}

TEST_F(BackendChoice, MissingDisplaySaysHowToGetOne) {
    EXPECT_EXIT(
        {
            setenv("STANDIN_BACKEND", "x11", 1);
            setenv("DISPLAY", ":987", 1);  // no server there
            GetSystemMetrics(SM_CXSCREEN);
        },
        ::testing::ExitedWithCode(1),
        "needs a graphical display.*cannot open X display ':987'.*desktop session.*xvfb-run .*telka-run");
}

TEST_F(BackendChoice, TestsCanSelectHeadlessWhateverTheEnvironmentSays) {
    EXPECT_EXIT(
        {
            setenv("STANDIN_BACKEND", "x11", 1);
            setenv("DISPLAY", ":987", 1);
            standin::use_headless_backend();
            const bool ok = std::string(standin::backend().name) == "headless" && standin::headless_backend_active() &&
                            GetSystemMetrics(SM_CXSCREEN) == 1024;
            std::exit(ok ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
