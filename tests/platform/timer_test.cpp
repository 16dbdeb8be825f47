// Timers on the virtual clock: WM_TIMER at every period, coalescing of
// missed periods, re-basing, replacement of a timer by the same id,
// KillTimer, the minimum period, timer procedures and thread timers.
#include "window_recorder.h"

using namespace user_test;

namespace {

class Timers : public UserTest {
protected:
    // Takes the next message, which must be a WM_TIMER; returns its time
    // relative to t0 in milliseconds.
    int64_t next_timer(UINT_PTR *id = nullptr) {
        MSG m;
        EXPECT_TRUE(GetMessageA(&m, nullptr, 0, 0));
        EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
        if (id) *id = m.wParam;
        DispatchMessageA(&m);
        return (standin::headless_now_ns() - t0) / kMs;
    }
    void SetUp() override {
        UserTest::SetUp();
        t0 = standin::headless_now_ns();
    }
    static constexpr int64_t kMs = 1000000;
    int64_t t0 = 0;
};

TEST_F(Timers, FiftyMillisecondTimerFiresAtEveryPeriod) {
    HWND h = top();
    EXPECT_EQ(SetTimer(h, 2, 50, nullptr), 2u);
    std::vector<int64_t> at;
    for (int i = 0; i < 5; ++i) at.push_back(next_timer());
    EXPECT_EQ(at, (std::vector<int64_t>{50, 100, 150, 200, 250}));
    const std::vector<Record> ticks = records(h, WM_TIMER);
    ASSERT_EQ(ticks.size(), 5u);
    EXPECT_EQ(ticks[0].wParam, 2u);
    EXPECT_EQ(ticks[0].lParam, 0);
}

TEST_F(Timers, MissedPeriodsCoalesceIntoOneMessageAndRebase) {
    HWND h = top();
    SetTimer(h, 1, 50, nullptr);
    standin::headless_advance_clock(520 * kMs);  // ten periods missed
    EXPECT_EQ(next_timer(), 520);                  // one message, not ten
    EXPECT_EQ(next_timer(), 570);                  // counted from now
}

TEST_F(Timers, SlightlyLateTimersKeepTheirRhythm) {
    HWND h = top();
    SetTimer(h, 1, 50, nullptr);
    standin::headless_advance_clock(70 * kMs);  // 20 ms late: less than a period
    EXPECT_EQ(next_timer(), 70);
    EXPECT_EQ(next_timer(), 100);
}

TEST_F(Timers, SettingTheSameIdReplacesAndRestarts) {
    HWND h = top();
    SetTimer(h, 1, 50, nullptr);
    standin::headless_advance_clock(30 * kMs);
    SetTimer(h, 1, 100, nullptr);
    EXPECT_EQ(next_timer(), 130);
    EXPECT_EQ(next_timer(), 230);
    // Another window's timer with the same id is a different timer.
    HWND other = top();
    SetTimer(other, 1, 10, nullptr);
    EXPECT_EQ(next_timer(), 240);
}

TEST_F(Timers, KillTimerStopsItAndReportsUnknownTimers) {
    HWND h = top();
    SetTimer(h, 1, 20, nullptr);
    SetTimer(h, 2, 50, nullptr);
    UINT_PTR id = 0;
    EXPECT_EQ(next_timer(&id), 20);
    EXPECT_EQ(id, 1u);
    EXPECT_TRUE(KillTimer(h, 1));
    EXPECT_FALSE(KillTimer(h, 1));
    EXPECT_FALSE(KillTimer(h, 99));
    EXPECT_EQ(next_timer(&id), 50);
    EXPECT_EQ(id, 2u);
    EXPECT_EQ(next_timer(&id), 100);
    EXPECT_EQ(id, 2u);
}

TEST_F(Timers, ShortPeriodsAreRaisedToTenMilliseconds) {
    HWND h = top();
    SetTimer(h, 1, 0, nullptr);
    EXPECT_EQ(next_timer(), 10);
    SetTimer(h, 1, 3, nullptr);
    EXPECT_EQ(next_timer(), 20);
}

TEST_F(Timers, EqualDueTimesFireInCreationOrder) {
    HWND h = top();
    SetTimer(h, 7, 40, nullptr);
    SetTimer(h, 3, 40, nullptr);
    UINT_PTR a = 0, b = 0;
    next_timer(&a);
    next_timer(&b);
    EXPECT_EQ(a, 7u);
    EXPECT_EQ(b, 3u);
}

TEST_F(Timers, TimerProceduresRunInsteadOfTheWindowProcedure) {
    HWND h = top();
    static std::vector<std::pair<HWND, UINT_PTR>> calls;
    calls.clear();
    TIMERPROC proc = [](HWND hwnd, UINT msg, UINT_PTR id, DWORD) {
        EXPECT_EQ(msg, static_cast<UINT>(WM_TIMER));
        calls.emplace_back(hwnd, id);
    };
    SetTimer(h, 5, 50, proc);
    log().clear();
    next_timer();
    EXPECT_EQ(calls, (std::vector<std::pair<HWND, UINT_PTR>>{{h, 5}}));
    EXPECT_TRUE(records(h, WM_TIMER).empty());
}

TEST_F(Timers, ThreadTimersGetFreshIds) {
    static int fired = 0;
    fired = 0;
    TIMERPROC proc = [](HWND hwnd, UINT, UINT_PTR, DWORD) {
        EXPECT_EQ(hwnd, nullptr);
        ++fired;
    };
    const UINT_PTR a = SetTimer(nullptr, 0, 30, proc);
    const UINT_PTR b = SetTimer(nullptr, 0, 60, proc);
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(SetTimer(nullptr, a, 45, proc), a);  // an existing id is replaced
    UINT_PTR id = 0;
    EXPECT_EQ(next_timer(&id), 45);
    EXPECT_EQ(id, a);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(KillTimer(nullptr, a));
    EXPECT_TRUE(KillTimer(nullptr, b));
}

TEST_F(Timers, PaintStarvesTimersWhileItIsPending) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 20, 20);
    SetTimer(h, 1, 10, nullptr);
    standin::headless_advance_clock(15 * kMs);
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_PAINT));  // ahead of the due timer
    DispatchMessageA(&m);
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
}

}  // namespace
