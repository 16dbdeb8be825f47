// From back buffer to screen on the X server, as the library shows a frame:
// BitBlt of the 601 x 540 back buffer into the window, then one message pump,
// which presents what changed. Three kinds of frame, drawn untimed before
// each copy, with a pause for the server to finish the last one as the game's
// ticks give it: every pixel changed, nothing changed, and only the player,
// the enemy and the score changed. Win32 calls only, after the stand-in's
// start-up; run under a display:
//   tests/with-xvfb build/bin/present_bench
#include <benchmark/benchmark.h>
#include <windows.h>

#include <unistd.h>

#include <cstdlib>

#include "game_frame.h"
#include "start_up.h"

namespace {

using bench_frame::kH;
using bench_frame::kW;

HWND g_window = nullptr;

HWND open_window() {
    if (g_window) return g_window;
    standin::start_up();  // as the process entry does
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "present_bench";
    RegisterClassA(&wc);
    g_window = CreateWindowExA(0, "present_bench", "present benchmark", WS_CAPTION | WS_VISIBLE, 0, 0, kW, kH, nullptr,
                               nullptr, nullptr, nullptr);
    UpdateWindow(g_window);
    return g_window;
}

enum Change { kEverything, kNothing, kPlayerEnemyScore };

void BM_ShowFrameX11(benchmark::State &state) {
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display) {
        state.SkipWithError("DISPLAY is not set: run under tests/with-xvfb");
        return;
    }
    HWND window = open_window();
    HDC win = GetDC(window);
    HDC mem = CreateCompatibleDC(win);
    HBITMAP bm = CreateCompatibleBitmap(win, kW, kH);
    HGDIOBJ old = SelectObject(mem, bm);
    const Change change = static_cast<Change>(state.range(0));
    int frame = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench_frame::Vars v;
        const int odd = ++frame & 1;
        if (change == kEverything) v.tint = odd;
        if (change == kPlayerEnemyScore) {
            v.score = frame % 1000;
            v.player_x = odd * 5;
            v.enemy_x = -230 + odd * 5;
        }
        bench_frame::draw(mem, v);
        GetPixel(mem, 0, 0);  // the frame is drawn out before the clock runs
        usleep(2000);         // paced like the game: the server has finished with the last frame
        state.ResumeTiming();
        BitBlt(win, 0, 0, kW, kH, mem, 0, 0, SRCCOPY);
        PostMessageA(window, WM_USER, 0, 0);
        MSG m;
        GetMessageA(&m, nullptr, 0, 0);  // presents before it returns
        DispatchMessageA(&m);
    }
    SelectObject(mem, old);
    DeleteObject(bm);
    DeleteDC(mem);
    ReleaseDC(window, win);
}
BENCHMARK(BM_ShowFrameX11)
    ->ArgName("change")
    ->Arg(kEverything)
    ->Arg(kNothing)
    ->Arg(kPlayerEnemyScore)
    ->Iterations(500)  // each pauses 2 ms untimed: a fixed count keeps the run short
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
