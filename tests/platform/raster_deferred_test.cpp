// Deferred fills on 32-bit bitmaps: whatever reads or draws after recorded
// fills sees exactly what immediate drawing would have left. The oracle is a
// second canvas whose pixels are read after every step, which writes each
// fill out at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "gdi/target.h"
#include "raster_canvas.h"

namespace {

using raster_test::Canvas;

constexpr int kW = 23, kH = 17;

using Step = std::function<void(Canvas &)>;

void fill(Canvas &c, int l, int t, int r, int b, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT rc{l, t, r, b};
    FillRect(c.dc(), &rc, brush);
    DeleteObject(brush);
}

// Rectangle with a one-pixel pen and a solid or hollow brush: recorded too.
void box(Canvas &c, int l, int t, int r, int b, COLORREF pen, COLORREF brush, bool hollow = false) {
    c.pen(PS_SOLID, 1, pen);
    if (hollow) {
        c.hollow();
    } else {
        c.brush(brush);
    }
    Rectangle(c.dc(), l, t, r, b);
}

std::vector<uint32_t> pixels(const Canvas &c) {
    const uint32_t *p = c.bitmap()->pixels.data();
    return std::vector<uint32_t>(p, p + kW * kH);
}

// Runs the steps on a canvas that settles after each (immediate drawing) and
// on one that does not; their pixels must agree after every step that reads.
::testing::AssertionResult same_as_immediate(const std::vector<Step> &steps) {
    Canvas deferred(kW, kH), immediate(kW, kH);
    for (size_t i = 0; i < steps.size(); ++i) {
        steps[i](immediate);
        pixels(immediate);
        steps[i](deferred);
    }
    const std::vector<uint32_t> want = pixels(immediate), got = pixels(deferred);
    for (size_t i = 0; i < want.size(); ++i)
        if (want[i] != got[i])
            return ::testing::AssertionFailure() << "pixel (" << i % kW << "," << i / kW << ") is " << std::hex
                                                 << got[i] << ", immediate drawing gives " << want[i];
    return ::testing::AssertionSuccess();
}

// Overlapping fills, each its own step: FillRect and filled one-pixel boxes.
std::vector<Step> fills() {
    return {
        [](Canvas &c) { fill(c, 2, 2, 14, 9, RGB(200, 0, 0)); },
        [](Canvas &c) { box(c, 5, 4, 19, 13, RGB(0, 0, 200), RGB(0, 0, 200)); },
        [](Canvas &c) { box(c, 1, 6, 9, 16, RGB(0, 90, 0), RGB(250, 250, 0)); },
    };
}

TEST(DeferredFill, EveryReaderSeesTheFillsBeforeIt) {
    const std::vector<std::pair<const char *, Step>> readers = {
        {"SetPixel", [](Canvas &c) { SetPixel(c.dc(), 6, 5, RGB(1, 2, 3)); }},
        {"LineTo",
         [](Canvas &c) {
             c.pen(PS_SOLID, 1, RGB(9, 9, 9));
             MoveToEx(c.dc(), 0, 0, nullptr);
             LineTo(c.dc(), 20, 15);
         }},
        {"wide Rectangle",
         [](Canvas &c) {
             c.pen(PS_SOLID, 3, RGB(9, 9, 9));
             c.hollow();
             Rectangle(c.dc(), 3, 3, 12, 11);
         }},
        {"Ellipse",
         [](Canvas &c) {
             c.pen(PS_SOLID, 1, RGB(9, 9, 9));
             c.brush(RGB(7, 7, 7));
             Ellipse(c.dc(), 4, 2, 15, 12);
         }},
        {"Polygon",
         [](Canvas &c) {
             const POINT tri[] = {{1, 1}, {20, 4}, {8, 15}};
             c.pen(PS_SOLID, 1, RGB(9, 9, 9));
             c.brush(RGB(7, 7, 7));
             Polygon(c.dc(), tri, 3);
         }},
        {"ScrollDC", [](Canvas &c) { ScrollDC(c.dc(), 3, -2, nullptr, nullptr, nullptr, nullptr); }},
        {"BitBlt within", [](Canvas &c) { BitBlt(c.dc(), 1, 1, 10, 8, c.dc(), 6, 5, SRCCOPY); }},
        {"BitBlt into",
         [](Canvas &c) {
             Canvas src(8, 8);
             fill(src, 0, 0, 8, 8, RGB(30, 60, 90));
             fill(src, 2, 2, 5, 5, RGB(90, 60, 30));
             BitBlt(c.dc(), 4, 3, 8, 8, src.dc(), 0, 0, SRCCOPY);
         }},
        {"BitBlt from",
         [](Canvas &c) {
             // What the copy read comes back over the canvas.
             Canvas dst(kW, kH);
             BitBlt(dst.dc(), 0, 0, kW, kH, c.dc(), 0, 0, SRCCOPY);
             fill(c, 0, 0, kW, kH, RGB(1, 1, 1));
             BitBlt(c.dc(), 0, 0, kW, kH, dst.dc(), 0, 0, SRCCOPY);
         }},
        {"GetPixel",
         [](Canvas &c) {
             // The colour read is written back beside a fresh fill.
             const COLORREF seen = GetPixel(c.dc(), 6, 7);
             fill(c, 0, 0, kW, 1, RGB(4, 4, 4));
             SetPixel(c.dc(), 0, 0, seen);
         }},
        {"the pixel accessor",
         [](Canvas &c) {
             const uint32_t seen = c.bitmap()->pixels[7 * kW + 6];
             fill(c, 0, 0, kW, 1, RGB(4, 4, 4));
             SetPixel(c.dc(), 0, 0, standin::pixel_to_colorref(seen));
         }},
    };
    for (const auto &[name, reader] : readers) {
        std::vector<Step> steps = fills();
        steps.push_back(reader);
        for (const Step &f : fills()) steps.push_back(f);
        EXPECT_TRUE(same_as_immediate(steps)) << name;
    }
}

TEST(DeferredFill, TheNewerOfOverlappingFillsShowsInEitherOrder) {
    const COLORREF a = RGB(200, 0, 0), b = RGB(0, 0, 200);
    Canvas c(kW, kH);
    fill(c, 2, 2, 12, 10, a);
    fill(c, 6, 5, 18, 14, b);
    EXPECT_EQ(c.at(4, 4), a);
    EXPECT_EQ(c.at(8, 7), b);
    EXPECT_EQ(c.at(15, 12), b);
    fill(c, 6, 5, 18, 14, b);
    fill(c, 2, 2, 12, 10, a);
    EXPECT_EQ(c.at(8, 7), a);
    EXPECT_EQ(c.at(15, 12), b);
    EXPECT_EQ(c.at(0, 0), raster_test::kBackground);  // no fill reached it
}

// Filling the same background again reads only what was drawn over it since,
// and what smaller fills wrote counts as drawn over it.
TEST(DeferredFill, TheSameBackgroundAgainCoversWhatWasDrawnOverIt) {
    const COLORREF blue = RGB(0, 0, 120), black = RGB(0, 0, 0);
    auto background = [&](Canvas &c) {
        fill(c, 0, 0, kW, kH, blue);
        fill(c, 2, 2, kW - 2, kH - 2, black);
    };
    Canvas c(kW, kH);
    background(c);
    pixels(c);
    fill(c, 3, 3, 9, 9, RGB(250, 250, 0));
    pixels(c);
    SetPixel(c.dc(), 12, 6, RGB(1, 2, 3));
    background(c);
    EXPECT_EQ(c.at(4, 4), black);
    EXPECT_EQ(c.at(12, 6), black);
    EXPECT_EQ(c.at(1, 6), blue);
}

TEST(DeferredFill, ManyFillsPastTheRecordsBoundMatchImmediateDrawing) {
    std::vector<Step> steps;
    uint32_t seed = 12345;
    auto next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % n);
    };
    for (int i = 0; i < 300; ++i) {
        const int l = next(kW + 4) - 2, t = next(kH + 4) - 2;
        const int r = l + next(kW), b = t + next(kH);
        const COLORREF pen = RGB(next(4) * 80, next(4) * 80, next(4) * 80);
        const COLORREF brush = next(3) == 0 ? pen : RGB(next(4) * 80, 40, next(4) * 80);
        const int kind = next(5);
        const bool whole = i % 97 == 50;  // now and then a fill of the whole bitmap
        steps.push_back([=](Canvas &c) {
            if (whole) {
                fill(c, 0, 0, kW, kH, brush);
            } else if (kind == 0) {
                fill(c, l, t, r, b, brush);
            } else if (kind == 4) {
                c.null_pen();
                c.brush(brush);
                Rectangle(c.dc(), l, t, r, b);
            } else {
                box(c, l, t, r, b, pen, brush, kind == 3);
            }
        });
    }
    EXPECT_TRUE(same_as_immediate(steps));
}

}  // namespace
