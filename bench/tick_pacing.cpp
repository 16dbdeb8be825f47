// Pacing of periodic events: opens the library on the real display backend,
// runs the animation and prints how far the intervals between consecutive
// TELKA_PERIODIC events stray from 50 ms (median, p99, max) and the CPU time
// the process used meanwhile. An application of the public API; run it under
// a display (tests/with-xvfb). Argument: number of ticks (default 200).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "telka.h"

static double cpu_seconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

int main(void) {
    const char *arg = std::getenv("TICKS");
    const int ticks = arg ? std::max(10, std::atoi(arg)) : 200;
    TELKA_open();
    TELKA_logging(0);
    TELKA_animate(TELKA_ANIMATE_RUN);

    using Clock = std::chrono::steady_clock;
    std::vector<double> deviation_ms;
    int32_t x, y;
    char key;
    Clock::time_point last{};
    double cpu_start = 0;
    for (int n = 0; n <= ticks;) {
        const int kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT) break;
        if (kind != TELKA_PERIODIC) continue;
        // Redraw a small scene each tick, as an animation would.
        TELKA_clear();
        TELKA_circle(TELKA_RED, n % 200 - 100, 0, 10);
        const Clock::time_point now = Clock::now();
        if (n == 0) {
            cpu_start = cpu_seconds();
        } else {
            const double interval = std::chrono::duration<double, std::milli>(now - last).count();
            deviation_ms.push_back(std::fabs(interval - 50.0));
        }
        last = now;
        ++n;
    }
    const double cpu = cpu_seconds() - cpu_start;
    TELKA_close();
    if (deviation_ms.empty()) return 1;

    std::sort(deviation_ms.begin(), deviation_ms.end());
    auto pct = [&](double p) { return deviation_ms[static_cast<size_t>(p * (deviation_ms.size() - 1))]; };
    const double wall = deviation_ms.size() * 0.05;
    std::printf("ticks %zu: deviation from 50 ms: median %.3f ms, p99 %.3f ms, max %.3f ms\n", deviation_ms.size(),
                pct(0.5), pct(0.99), deviation_ms.back());
    std::printf("cpu %.3f s over %.1f s: %.2f %% of one core\n", cpu, wall, 100.0 * cpu / wall);
    return 0;
}
