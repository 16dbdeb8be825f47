// The x11 backend's wait: it sleeps in the kernel until the deadline or the
// first event (CPU time stays near zero), returns at once when input is
// pending, and with no deadline wakes on input alone.
#include "x11_test_support.h"

#include <ctime>
#include <thread>

namespace x11test {
namespace {

double cpu_ms() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

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

TEST_F(X11Wait, SleepsUntilTheDeadlineWithoutSpinning) {
    const int64_t start = standin::kX11Driver.now_ns();
    const double cpu_start = cpu_ms();
    standin::kX11Driver.wait(start + 200'000'000);
    const double elapsed_ms = double(standin::kX11Driver.now_ns() - start) / 1e6;
    const double cpu_used = cpu_ms() - cpu_start;
    EXPECT_TRUE(recorded().empty());
    EXPECT_GE(elapsed_ms, 200.0);
    EXPECT_LT(elapsed_ms, 300.0) << "woke long after the deadline";
    EXPECT_LT(cpu_used, 20.0) << "the wait burnt CPU";
    std::printf("wait(200 ms): %.2f ms elapsed, %.3f ms CPU\n", elapsed_ms, cpu_used);
}

TEST_F(X11Wait, ReturnsAtOnceWhenInputIsPending) {
    send_close(peer_, window_of(host_));
    const double start = now_ms();
    standin::kX11Driver.wait(standin::kX11Driver.now_ns() + 5'000'000'000);
    EXPECT_LT(now_ms() - start, 1000.0);
    EXPECT_EQ(recorded_of({Kind::CloseRequest}).size(), 1u);
}

TEST_F(X11Wait, PastDeadlineOnlyDeliversWhatIsThere) {
    const double start = now_ms();
    standin::kX11Driver.wait(0);
    standin::kX11Driver.wait(standin::kX11Driver.now_ns() - 1'000'000);
    EXPECT_LT(now_ms() - start, 100.0);
    EXPECT_TRUE(recorded().empty());
}

TEST_F(X11Wait, NoDeadlineWakesOnInput) {
    const Window target = window_of(host_);
    std::thread sender([target] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Display *other = XOpenDisplay(nullptr);
        if (other == nullptr) return;
        send_close(other, target);
        XCloseDisplay(other);
    });
    const double start = now_ms();
    const double cpu_start = cpu_ms();
    while (recorded_of({Kind::CloseRequest}).empty() && now_ms() - start < 5000) standin::kX11Driver.wait(-1);
    sender.join();
    EXPECT_EQ(recorded_of({Kind::CloseRequest}).size(), 1u);
    EXPECT_GE(now_ms() - start, 90.0);
    EXPECT_LT(cpu_ms() - cpu_start, 20.0) << "the wait burnt CPU";
}

}  // namespace
}  // namespace x11test
