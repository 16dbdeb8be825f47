// The game's ready-state frame, drawn three ways: straight through the GDI
// calls into a 601 x 540 memory DC (pen, brush and font created and deleted
// per shape, as the library does), through the library's public drawing
// operations (draw_screen, logging off), and presented to an X window.
// Relies on Google Benchmark; the present needs DISPLAY (run under Xvfb).
// With Cairo installed, cairo_frame.cpp adds the same frame drawn by Cairo.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "backends/backend.h"
#include "gdi/gdi_objects.h"
#include "lib_state.h"
#include "screen.h"
#include "standin.h"
#include "telka.h"
// The benchmark has its own main; the library's renaming of main does not apply.
#undef main

namespace {

constexpr int kW = 601, kH = 540;
constexpr int kOriginX = 300, kOriginY = 260;

// Window coordinates (y up) to device pixels, as the renderer maps them.
int dx(int x) { return kOriginX + x; }
int dy(int y) { return kOriginY - y; }

void filled(HDC dc, COLORREF c, bool oval, int x1, int y1, int x2, int y2) {
    HPEN pen = CreatePen(PS_SOLID, 0, c);
    HBRUSH brush = CreateSolidBrush(c);
    HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
    if (oval)
        Ellipse(dc, dx(x1), dy(y1), dx(x2) + 1, dy(y2) + 1);
    else
        Rectangle(dc, dx(x1), dy(y1), dx(x2) + 1, dy(y2) + 1);
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(pen);
    DeleteObject(brush);
}

void text(HDC dc, int x, int y, int size, const char *s) {
    SetTextColor(dc, RGB(255, 255, 255));
    const int mode = GetBkMode(dc);
    SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateFontA(-size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "TELKA-font");
    HGDIOBJ of = SelectObject(dc, font);
    SIZE extent;
    GetTextExtentPointA(dc, s, static_cast<int>(std::strlen(s)), &extent);
    TextOutA(dc, dx(x), dy(y) - extent.cy, s, static_cast<int>(std::strlen(s)));
    SetBkMode(dc, mode);
    SelectObject(dc, of);
    DeleteObject(font);
}

void gdi_ready_frame(HDC dc) {
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    HGDIOBJ ob = SelectObject(dc, white);
    Rectangle(dc, 0, 0, kW, kH);
    SelectObject(dc, ob);
    DeleteObject(white);

    filled(dc, RGB(0, 0, 255), false, -300, 250, 300, -250);
    filled(dc, RGB(0, 0, 0), false, -295, 245, 295, -245);
    filled(dc, RGB(0, 0, 255), false, -300, 250, 300, 225);
    text(dc, -290, 230, 12, "Level 1");
    text(dc, 0, 230, 12, "Lives: 3");
    text(dc, 150, 230, 12, "Score: 0");
    filled(dc, RGB(255, 255, 0), false, 0, 20, 20, 0);
    filled(dc, RGB(255, 0, 0), true, -2, 12, 2, 8);
    filled(dc, RGB(255, 0, 255), true, -230, -20, -210, -40);
    filled(dc, RGB(255, 255, 255), true, 100, 55, 105, 50);
    text(dc, -200, 30, 24, "Press any key to start.");
}

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

bool g_library_open = false;

void open_library_headless() {
    if (g_library_open) return;
    standin::use_headless_backend();
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

void BM_PresentFrameX11(benchmark::State &state) {
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display) {
        state.SkipWithError("DISPLAY is not set: run under scripts/with-xvfb");
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

}  // namespace

BENCHMARK_MAIN();
