// The game's ready-state frame drawn through the library in the browser and
// timed with the page's clock: the figure to hold against frame_bench's
// BM_LibraryReadyFrame on the same machine. Built by the browser build only
// (index.html?program=web-frame-bench); prints to the page's output.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "screen.h"
#include "telka.h"

namespace {

// The arguments of frame_bench's BM_LibraryReadyFrame.
void ready_frame() { draw_screen(0, 1, 3, 0, 0, 0, -4, -230, -40, 1, 100, 50, 1); }

}  // namespace

int main(void) {
    TELKA_open();
    TELKA_logging(0);
    constexpr int kRounds = 30, kFrames = 100;
    for (int i = 0; i < kFrames; ++i) ready_frame();  // caches of fonts and glyphs filled
    std::vector<double> us;
    for (int round = 0; round < kRounds; ++round) {
        const double t0 = emscripten_get_now();
        for (int i = 0; i < kFrames; ++i) ready_frame();
        us.push_back((emscripten_get_now() - t0) * 1000.0 / kFrames);
    }
    std::sort(us.begin(), us.end());
    std::printf("ready frame through draw_screen: median %.1f us, fastest %.1f us (%d rounds of %d)\n",
                us[us.size() / 2], us.front(), kRounds, kFrames);
    TELKA_close();
    return 0;
}
