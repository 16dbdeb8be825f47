// The game's ready-state frame drawn through the library in the browser and
// timed with the monotonic clock: the figure to hold against frame_bench's
// BM_LibraryReadyFrame on the same machine. Built by the browser build only
// (site/programs/web-frame-bench.wasm); prints to the page's output.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "screen.h"
#include "telka.h"

namespace {

double now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The arguments of frame_bench's BM_LibraryReadyFrame.
void ready_frame() { draw_screen(0, 1, 3, 0, 0, 0, -4, -230, -40, 1, 100, 50, 1); }

}  // namespace

int main(void) {
    TELKA_open();
    TELKA_logging(0);
    constexpr int kRounds = 30, kFrames = 100;
    // Caches of fonts and glyphs filled, and time for the engine to finish
    // optimising the code it first ran unoptimised (two seconds: the game
    // runs for minutes, so its steady frame is the one to hold against native).
    for (const double start = now_ms(); now_ms() - start < 2000;) ready_frame();
    std::vector<double> us;
    for (int round = 0; round < kRounds; ++round) {
        const double t0 = now_ms();
        for (int i = 0; i < kFrames; ++i) ready_frame();
        us.push_back((now_ms() - t0) * 1000.0 / kFrames);
    }
    std::sort(us.begin(), us.end());
    std::printf("ready frame through draw_screen: median %.1f us, fastest %.1f us (%d rounds of %d)\n",
                us[us.size() / 2], us.front(), kRounds, kFrames);
    TELKA_close();
    return 0;
}
