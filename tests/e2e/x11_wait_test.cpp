// The x11 backend's wait: it does not return while nothing happens (a
// deadline is reached first, or input comes), input ends it before its
// deadline, and a deadline already past collects only what is waiting. How
// late and how costly the waits are is measured by bench/x11_driver_bench.
#include "x11_test_support.h"

#include <chrono>
#include <thread>

namespace x11test {
namespace {

void send_close(Display *display, Window window) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &e);
    XSync(display, False);
}

class X11Wait : public X11Fixture {
protected:
    void SetUp() override {
        X11Fixture::SetUp();
        if (HasFatalFailure()) return;
        host_ = open_host(0, 0, 100, 80);
        pump_for(100);  // whatever mapping brings
        recorded().clear();
    }
    HostId host_ = 0;
};

TEST_F(X11Wait, ReturnsNoEarlierThanTheDeadlineWhenNothingHappens) {
    const int64_t deadline = standin::kX11Driver.now_ns() + 200'000'000;
    standin::kX11Driver.wait(deadline);
    EXPECT_GE(standin::kX11Driver.now_ns(), deadline);
    EXPECT_TRUE(recorded().empty()) << ::testing::PrintToString(describe_all(recorded()));
}

TEST_F(X11Wait, InputEndsTheWaitBeforeItsDeadline) {
    send_close(peer_, window_of(host_));
    const int64_t deadline = standin::kX11Driver.now_ns() + 10'000'000'000;
    standin::kX11Driver.wait(deadline);
    EXPECT_LT(standin::kX11Driver.now_ns(), deadline);
    EXPECT_EQ(recorded_of({Kind::CloseRequest}).size(), 1u);
}

// Input that comes later is not waited for; input already there is taken.
TEST_F(X11Wait, PastDeadlineOnlyDeliversWhatIsThere) {
    const Window target = window_of(host_);
    std::thread sender([target] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Display *other = XOpenDisplay(nullptr);
        if (other == nullptr) return;
        send_close(other, target);
        XCloseDisplay(other);
    });
    standin::kX11Driver.wait(0);
    standin::kX11Driver.wait(standin::kX11Driver.now_ns() - 1'000'000);
    EXPECT_TRUE(recorded().empty()) << "a past deadline waited for input";
    sender.join();  // the close request is on its way to us now
    EXPECT_TRUE(eventually([] {
        standin::kX11Driver.wait(0);
        return recorded_of({Kind::CloseRequest}).size() == 1;
    })) << "a past deadline did not collect the input waiting";
}

TEST_F(X11Wait, NoDeadlineReturnsOnlyForInput) {
    const Window target = window_of(host_);
    std::thread sender([target] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Display *other = XOpenDisplay(nullptr);
        if (other == nullptr) return;
        send_close(other, target);
        XCloseDisplay(other);
    });
    const double start = now_ms();
    int returns = 0;
    while (recorded_of({Kind::CloseRequest}).empty() && now_ms() - start < 5000) {
        standin::kX11Driver.wait(-1);
        ++returns;
    }
    sender.join();
    EXPECT_EQ(recorded_of({Kind::CloseRequest}).size(), 1u);
    EXPECT_GE(now_ms() - start, 90.0) << "returned before the input was sent";
    EXPECT_EQ(returns, 1) << "the wait returned with no input to hand over";
}

}  // namespace
}  // namespace x11test
