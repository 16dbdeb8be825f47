// The x11 backend's event wait: hands pending X events to the core, or sleeps
// in ppoll() on the connection until one arrives or the deadline passes.
// Relies on Xlib's event queue and the monotonic clock of x11_now_ns().
#include "backends/x11/x11_internal.h"

#include <poll.h>

#include <ctime>

namespace standin {

void x11_wait(int64_t deadline_ns) {
    X11State &st = x11();
    Display *display = st.display;
    if (display == nullptr) return;
    // XPending flushes our requests and reads whatever the server has sent.
    if (XPending(display) == 0) {
        pollfd pfd{ConnectionNumber(display), POLLIN, 0};
        if (deadline_ns < 0) {
            ppoll(&pfd, 1, nullptr, nullptr);
        } else {
            int64_t left = deadline_ns - x11_now_ns();
            if (left > 0) {
                // Nanosecond timeout: rounding to milliseconds would make timers late.
                timespec timeout{static_cast<time_t>(left / 1'000'000'000), static_cast<long>(left % 1'000'000'000)};
                ppoll(&pfd, 1, &timeout, nullptr);
            }
        }
        XPending(display);
    }
    // Only what is queued now: events arriving meanwhile wait for the next call,
    // so a flood of input cannot keep us here.
    for (int n = XEventsQueued(display, QueuedAlready); n > 0; --n) {
        if (XEventsQueued(display, QueuedAlready) == 0) break;  // motion compression took some
        XEvent event;
        XNextEvent(display, &event);
        x11_dispatch(event);
    }
}

}  // namespace standin
