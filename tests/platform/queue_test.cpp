// The message queue: retrieval order (posted, quit, input, paint, timer),
// WM_QUIT, sending versus posting, dispatching, nested loops, and the
// blocking path handing the backend the right deadline.
#include "window_recorder.h"

using namespace user_test;
using Names = std::vector<std::string>;

namespace {

class Queue : public UserTest {};

constexpr int64_t kMs = 1000000;

TEST_F(Queue, RetrievalOrderIsPostedQuitInputPaintTimer) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
    drain();
    SetTimer(h, 1, 10, nullptr);
    standin::headless_advance_clock(20 * kMs);  // the timer is due
    InvalidateRect(h, nullptr, FALSE);          // a paint is pending
    standin::headless_key_down('A');            // input is waiting
    PostQuitMessage(3);
    PostMessageA(h, WM_USER, 1, 0);
    PostMessageA(h, WM_USER + 1, 2, 0);

    std::vector<std::string> got;
    MSG m;
    for (int i = 0; i < 6; ++i) {
        const BOOL r = GetMessageA(&m, nullptr, 0, 0);
        got.push_back(msg_name(m.message));
        if (r == 0) {
            EXPECT_EQ(m.wParam, 3u);
        }
        if (m.message == WM_PAINT) ValidateRect(h, nullptr);
    }
    // The quit flag pre-empts the waiting input, the paint and the timer.
    EXPECT_EQ(got, (Names{"WM_USER", "WM_USER+1", "WM_QUIT", "WM_KEYDOWN", "WM_PAINT", "WM_TIMER"}));
}

TEST_F(Queue, PostedMessagesComeOutInOrderWithTheirParameters) {
    HWND h = top();
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(PostMessageA(h, WM_USER, static_cast<WPARAM>(i), -i));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 9, 0));  // a thread message
    MSG m;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
        EXPECT_EQ(m.hwnd, h);
        EXPECT_EQ(m.wParam, static_cast<WPARAM>(i));
        EXPECT_EQ(m.lParam, -i);
    }
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_EQ(DispatchMessageA(&m), 0);  // no window: nothing to call
}

TEST_F(Queue, QuitIsOneFlagWhoseLastCodeWins) {
    HWND h = top();
    PostQuitMessage(1);
    PostQuitMessage(2);
    MSG m;
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_EQ(m.wParam, 2u);
    // Only one quit: the next call blocks (the idle hook ends it).
    standin::headless_set_idle_hook([] {
        PostMessageA(nullptr, WM_USER, 77, 0);
        return true;
    });
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.wParam, 77u);
    // A posted WM_QUIT keeps its place among posted messages, and still ends the loop.
    PostMessageA(h, WM_USER, 0, 0);
    PostMessageA(h, WM_QUIT, 5, 0);
    EXPECT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.wParam, 5u);
}

TEST_F(Queue, SendCallsTheProcedureDirectlyAndPostWaits) {
    HWND h = top();
    set_handler([](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_USER) return static_cast<LRESULT>(wParam * 2);
        return std::nullopt;
    });
    log().clear();
    EXPECT_EQ(SendMessageA(h, WM_USER, 21, 0), 42);
    EXPECT_EQ(names(h), (Names{"WM_USER"}));
    log().clear();
    PostMessageA(h, WM_USER, 5, 0);
    EXPECT_TRUE(log().empty());
    MSG m;
    GetMessageA(&m, nullptr, 0, 0);
    EXPECT_EQ(DispatchMessageA(&m), 10);
    EXPECT_EQ(names(h), (Names{"WM_USER"}));
}

TEST_F(Queue, ANullMessageBufferFailsAndFiltersAreIgnored) {
    EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
    HWND a = top();
    HWND b = top();
    PostMessageA(a, WM_USER, 1, 0);
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, b, WM_USER + 1, WM_USER + 5));
    EXPECT_EQ(m.hwnd, a);
    EXPECT_EQ(m.wParam, 1u);
}

TEST_F(Queue, ForgedTimerProceduresAreNotCalled) {
    HWND h = top();
    static int called = 0;
    TIMERPROC proc = [](HWND, UINT, UINT_PTR, DWORD) { ++called; };
    MSG forged{h, WM_TIMER, 1, reinterpret_cast<LPARAM>(proc), 0, {}};
    log().clear();
    DispatchMessageA(&forged);
    EXPECT_EQ(called, 0);
    EXPECT_EQ(names(h), (Names{"WM_TIMER"}));  // handed to the window instead
    EXPECT_EQ(DispatchMessageA(nullptr), 0);
}

TEST_F(Queue, NestedLoopsKeepDispatching) {
    // A modal loop inside a window procedure, as a dialog runs it.
    HWND owner = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
    HWND other = top();
    drain();
    set_handler([&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (hwnd == owner && msg == WM_USER) {
            MSG m;
            while (GetMessageA(&m, nullptr, 0, 0) > 0) {
                if (m.message == WM_USER + 2) break;  // the "dialog" ends
                DispatchMessageA(&m);
            }
            return 1;
        }
        return std::nullopt;
    });
    PostMessageA(owner, WM_USER, 0, 0);
    PostMessageA(other, WM_USER + 1, 0, 0);
    PostMessageA(other, WM_USER + 1, 0, 0);
    PostMessageA(nullptr, WM_USER + 2, 0, 0);
    PostMessageA(other, WM_USER + 1, 9, 0);
    MSG m;
    ASSERT_TRUE(pump(&m));  // runs the nested loop to its end
    EXPECT_EQ(records(other, WM_USER + 1).size(), 2u);
    ASSERT_TRUE(pump(&m));
    EXPECT_EQ(m.wParam, 9u);
}

TEST_F(Queue, BlocksWithTheNextTimerAsDeadline) {
    HWND h = top();
    standin::headless_take_waits();
    const int64_t t0 = standin::headless_now_ns();
    SetTimer(h, 1, 50, nullptr);
    SetTimer(h, 2, 30, nullptr);
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.wParam, 2u);
    EXPECT_EQ(standin::headless_take_waits(), std::vector<int64_t>{t0 + 30 * kMs});
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_EQ(standin::headless_take_waits(), std::vector<int64_t>{t0 + 50 * kMs});
}

TEST_F(Queue, WaitingInputAndMessagesNeverBlock) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
    drain();
    standin::headless_take_waits();
    standin::headless_key_press('X');
    PostMessageA(h, WM_USER, 0, 0);
    MSG m;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_TRUE(standin::headless_take_waits().empty());
}

TEST_F(Queue, PostingStopsAtTheQueueLimit) {
    HWND h = top();
    int accepted = 0;
    for (int i = 0; i < 10005; ++i) accepted += PostMessageA(h, WM_USER, 0, 0) ? 1 : 0;
    EXPECT_EQ(accepted, 10000);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

}  // namespace
