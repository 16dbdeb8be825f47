// What any present costs on this display before it sends a pixel: one request
// that the server must wake up for (XNoOp, then XFlush), after the same pause
// as the frames of present_bench, so that the server sleeps as it does between
// the game's ticks. A present that sends anything costs at least this.
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

void BM_OneRequestX11(benchmark::State &state) {
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no X display: run under tests/with-xvfb");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        usleep(2000);
        state.ResumeTiming();
        XNoOp(display);
        XFlush(display);
    }
    XCloseDisplay(display);
}
// Paced by a 2 ms pause, as the presents are: a fixed count keeps the run short.
BENCHMARK(BM_OneRequestX11)->Iterations(500)->Unit(benchmark::kMicrosecond);

}  // namespace
