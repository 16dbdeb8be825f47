// Speed of the rasterizer's primitives on a 601 x 540 colour bitmap, next to
// a plain memset of the same bytes: filled and outlined rectangles, discs,
// wide outlines, lines, a triangle, BitBlt, ScrollDC and hostile arguments.
// Relies on Google Benchmark and on gdi_new_bitmap for a colour surface.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <vector>

#include "gdi/gdi_objects.h"

namespace {

constexpr int kW = 601, kH = 540;

struct Surface {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = static_cast<HBITMAP>(standin::gdi_register(standin::gdi_new_bitmap(kW, kH, 32)));
    HGDIOBJ old = SelectObject(dc, bm);
    ~Surface() {
        SelectObject(dc, old);
        DeleteObject(bm);
        DeleteDC(dc);
    }
};

// Selects a fresh pen and brush around each call, as the library does.
template <class Draw>
void shape(HDC dc, int width, COLORREF pen, COLORREF brush, bool hollow, Draw draw) {
    HPEN p = CreatePen(PS_SOLID, width, pen);
    HBRUSH b = hollow ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(brush);
    HGDIOBJ op = SelectObject(dc, p), ob = SelectObject(dc, b);
    draw();
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(p);
    if (!hollow) DeleteObject(b);
}

void BM_Memset601x540(benchmark::State &state) {
    std::vector<uint32_t> px(kW * kH);
    for (auto _ : state) {
        std::memset(px.data(), 0x40, px.size() * sizeof(uint32_t));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}
BENCHMARK(BM_Memset601x540);

void BM_FilledRectangle601x540(benchmark::State &state) {
    Surface s;
    for (auto _ : state) shape(s.dc, 0, RGB(0, 0, 255), RGB(0, 0, 255), false, [&] { Rectangle(s.dc, 0, 0, kW, kH); });
    state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}
BENCHMARK(BM_FilledRectangle601x540);

void BM_ClearWithOutline601x540(benchmark::State &state) {
    Surface s;
    for (auto _ : state) shape(s.dc, 0, RGB(0, 0, 0), RGB(255, 255, 255), false, [&] { Rectangle(s.dc, 0, 0, kW, kH); });
    state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}
BENCHMARK(BM_ClearWithOutline601x540);

void BM_Disc21(benchmark::State &state) {
    Surface s;
    for (auto _ : state) shape(s.dc, 0, RGB(255, 0, 0), RGB(255, 0, 0), false, [&] { Ellipse(s.dc, 290, 260, 311, 281); });
}
BENCHMARK(BM_Disc21);

void BM_RectangleOutline3px(benchmark::State &state) {
    Surface s;
    for (auto _ : state) shape(s.dc, 3, RGB(0, 128, 0), 0, true, [&] { Rectangle(s.dc, 100, 100, 141, 131); });
}
BENCHMARK(BM_RectangleOutline3px);

void BM_EllipseOutline3px(benchmark::State &state) {
    Surface s;
    for (auto _ : state) shape(s.dc, 3, RGB(0, 128, 0), 0, true, [&] { Ellipse(s.dc, 100, 100, 141, 131); });
}
BENCHMARK(BM_EllipseOutline3px);

void BM_LineThinAcross(benchmark::State &state) {
    Surface s;
    for (auto _ : state)
        shape(s.dc, 0, RGB(0, 0, 0), 0, true, [&] {
            MoveToEx(s.dc, 0, 10, nullptr);
            LineTo(s.dc, 600, 530);
        });
}
BENCHMARK(BM_LineThinAcross);

void BM_LineWide5Across(benchmark::State &state) {
    Surface s;
    for (auto _ : state)
        shape(s.dc, 5, RGB(0, 0, 0), 0, true, [&] {
            MoveToEx(s.dc, 0, 10, nullptr);
            LineTo(s.dc, 600, 530);
        });
}
BENCHMARK(BM_LineWide5Across);

void BM_FilledTriangle(benchmark::State &state) {
    Surface s;
    const POINT tri[] = {{300, 100}, {400, 300}, {200, 280}};
    for (auto _ : state) shape(s.dc, 0, RGB(9, 9, 9), RGB(9, 9, 9), false, [&] { Polygon(s.dc, tri, 3); });
}
BENCHMARK(BM_FilledTriangle);

void BM_BitBlt601x540(benchmark::State &state) {
    Surface a, b;
    for (auto _ : state) BitBlt(b.dc, 0, 0, kW, kH, a.dc, 0, 0, SRCCOPY);
    state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}
BENCHMARK(BM_BitBlt601x540);

void BM_ScrollDcUp16(benchmark::State &state) {
    Surface s;
    for (auto _ : state) ScrollDC(s.dc, 0, -16, nullptr, nullptr, nullptr, nullptr);
}
BENCHMARK(BM_ScrollDcUp16);

// Hostile arguments cost only the visible pixels.
void BM_HostileEllipseWidestPen(benchmark::State &state) {
    Surface s;
    for (auto _ : state)
        shape(s.dc, INT_MAX, RGB(1, 2, 3), RGB(4, 5, 6), false, [&] { Ellipse(s.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX); });
}
BENCHMARK(BM_HostileEllipseWidestPen);

void BM_HostileLineThin(benchmark::State &state) {
    Surface s;
    for (auto _ : state)
        shape(s.dc, 0, RGB(1, 2, 3), 0, true, [&] {
            MoveToEx(s.dc, INT_MIN, INT_MIN + 7, nullptr);
            LineTo(s.dc, INT_MAX, INT_MAX - 3);
        });
}
BENCHMARK(BM_HostileLineThin);

}  // namespace

BENCHMARK_MAIN();
