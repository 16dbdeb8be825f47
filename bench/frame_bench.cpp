// The game's ready-state frame, drawn three ways: straight through the GDI
// calls into a 601 x 540 memory DC (pen, brush and font created and deleted
// per shape, as the library does), through the library's public drawing
// operations (draw_screen, logging off), and presented to an X window; and
// playing frames through the library, where the player and the enemy move.
// The GDI ready frame is drawn once more while explaining (a writer plane
// beside the pixels), and the two are printed as a ratio at the end.
// Relies on Google Benchmark; the present needs DISPLAY (run under Xvfb).
// With Cairo installed, cairo_frame.cpp adds the same frame drawn by Cairo.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "automation.h"
#include "backends/backend.h"
#include "game_frame.h"
#include "gdi/gdi_objects.h"
#include "gdi/pixel_writers.h"
#include "lib_state.h"
#include "screen.h"
#include "start_up.h"
#include "telka.h"
// The benchmark has its own main; the library's renaming of main does not apply.
#undef main

namespace {

using bench_frame::kH;
using bench_frame::kW;

void gdi_ready_frame(HDC dc) { bench_frame::draw(dc, bench_frame::Vars{}); }

void BM_GdiReadyFrame(benchmark::State &state) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = static_cast<HBITMAP>(standin::gdi_register(standin::gdi_new_bitmap(kW, kH, 32)));
    HGDIOBJ old = SelectObject(dc, bm);
    for (auto _ : state) {
        gdi_ready_frame(dc);
        benchmark::ClobberMemory();
    }
    SelectObject(dc, old);
    DeleteObject(bm);
    DeleteDC(dc);
}
BENCHMARK(BM_GdiReadyFrame);

// As an explaining run draws it: a writer for the frame, and the spans
// drawn taken and dropped after it.
void BM_GdiReadyFrameExplaining(benchmark::State &state) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = static_cast<HBITMAP>(standin::gdi_register(standin::gdi_new_bitmap(kW, kH, 32)));
    HGDIOBJ old = SelectObject(dc, bm);
    standin::set_explaining(true);
    std::vector<standin::WrittenSpan> spans;
    uint32_t writer = 0;
    for (auto _ : state) {
        standin::set_pixel_writer(++writer);
        gdi_ready_frame(dc);
        standin::take_written_spans(&spans);
        benchmark::ClobberMemory();
    }
    standin::set_explaining(false);
    SelectObject(dc, old);
    DeleteObject(bm);
    DeleteDC(dc);
}
BENCHMARK(BM_GdiReadyFrameExplaining);

bool g_library_open = false;

void open_library_headless() {
    if (g_library_open) return;
    standin::use_headless_backend();
    standin::start_up();
    lib.instance = reinterpret_cast<HINSTANCE>(1);
    lib.cmdShow = SW_SHOWNORMAL;
    TELKA_open();
    TELKA_logging(0);
    g_library_open = true;
}

void BM_LibraryReadyFrame(benchmark::State &state) {
    open_library_headless();
    for (auto _ : state) {
        draw_screen(0, 1, 3, 0, 0, 0, -4, -230, -40, 1, 100, 50, 1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LibraryReadyFrame);

// Playing: every frame the player and the enemy move and the score goes up,
// so the back buffer differs from the last frame's where they were and are.
void BM_LibraryPlayingFrame(benchmark::State &state) {
    open_library_headless();
    int32_t frame = 0;
    for (auto _ : state) {
        ++frame;
        const int32_t step = (frame % 40) * 4;
        draw_screen(1, 1, 3, frame % 1000, step - 80, 40, -4, -230 + step, -40, 1, 100, 50, 1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LibraryPlayingFrame);

void BM_PresentFrameX11(benchmark::State &state) {
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display) {
        state.SkipWithError("DISPLAY is not set: run under tests/with-xvfb");
        return;
    }
    const standin::BackendDriver &x11 = standin::kX11Driver;
    std::string error;
    if (!x11.init(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    standin::HostWindowParams params;
    params.title = "present benchmark";
    params.width = kW;
    params.height = kH;
    const standin::HostId host = x11.create_host(params);
    x11.show_host(host, true);
    // The host surface in the backend's memory (the shared segment) where it offers some.
    std::vector<uint32_t> own;
    uint32_t *pixels = x11.surface(host, kW, kH);
    if (!pixels) {
        own.resize(static_cast<size_t>(kW) * kH);
        pixels = own.data();
    }
    const standin::HostRect all{0, 0, kW, kH};
    uint32_t colour = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::fill(pixels, pixels + static_cast<size_t>(kW) * kH, colour += 0x010203);
        state.ResumeTiming();
        x11.present(host, pixels, kW, kH, kW, &all, 1);
    }
    x11.destroy_host(host);
    x11.shutdown();
}
BENCHMARK(BM_PresentFrameX11)->Unit(benchmark::kMicrosecond);

// Prints as the console does and keeps each benchmark's CPU time per iteration.
class KeepingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration) cpu[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpu;
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    KeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto off = reporter.cpu.find("BM_GdiReadyFrame"), on = reporter.cpu.find("BM_GdiReadyFrameExplaining");
    if (off != reporter.cpu.end() && on != reporter.cpu.end() && off->second > 0)
        std::printf("GDI ready frame explaining / not: %.2f (%.1f us / %.1f us)\n", on->second / off->second,
                    on->second / 1e3, off->second / 1e3);
    benchmark::Shutdown();
    return 0;
}
