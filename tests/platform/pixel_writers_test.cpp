// The writer plane: while explaining, each primitive gives exactly the pixels
// it draws the current writer and logs them as row spans; off, no bitmap
// keeps a plane. What a primitive writes is taken from the pixels themselves:
// what it changes when drawn alone on a fresh bitmap.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "gdi/pixel_writers.h"
#include "gdi/target.h"
#include "raster_canvas.h"

namespace {

using raster_test::Canvas;

using Draw = std::function<void(Canvas &)>;

class PixelWriters : public ::testing::Test {
protected:
    void TearDown() override {
        standin::set_explaining(false);
        standin::set_pixel_writer(0);
    }
};

const void *surface_of(const Canvas &c) { return &c.bitmap()->pixels; }

std::vector<COLORREF> snapshot(const Canvas &c) {
    std::vector<COLORREF> v;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) v.push_back(c.at(x, y));
    return v;
}

// A picture of a pixel set: '#' in it, '.' not.
std::string mask_picture(const std::vector<bool> &m, int w) {
    std::string s;
    for (size_t i = 0; i < m.size(); ++i) {
        s += m[i] ? '#' : '.';
        if ((i + 1) % static_cast<size_t>(w) == 0) s += '\n';
    }
    return s;
}

// The pixels `draw` changes on a fresh canvas made ready by `prep`.
std::vector<bool> drawn_alone(int w, int h, const Draw &prep, const Draw &draw) {
    Canvas c(w, h);
    prep(c);
    const std::vector<COLORREF> before = snapshot(c);
    draw(c);
    const std::vector<COLORREF> after = snapshot(c);
    std::vector<bool> m(before.size());
    for (size_t i = 0; i < m.size(); ++i) m[i] = before[i] != after[i];
    return m;
}

// The pixels the spans logged since the last take cover; every span must be
// of `c` and inside it.
std::vector<bool> logged(const Canvas &c) {
    std::vector<standin::WrittenSpan> spans;
    standin::take_written_spans(&spans);
    std::vector<bool> m(static_cast<size_t>(c.width()) * c.height());
    for (const standin::WrittenSpan &s : spans) {
        EXPECT_EQ(s.surface, surface_of(c));
        EXPECT_TRUE(s.y >= 0 && s.y < c.height() && s.x0 >= 0 && s.x0 < s.x1 && s.x1 <= c.width())
            << "span " << s.y << ": " << s.x0 << ".." << s.x1;
        if (s.y < 0 || s.y >= c.height()) continue;
        for (int32_t x = std::max(s.x0, 0); x < std::min(s.x1, c.width()); ++x)
            m[static_cast<size_t>(s.y) * c.width() + x] = true;
    }
    return m;
}

// Draws `first` with writer 7 and then `second`, which overlaps it, with
// writer 8: the plane holds 8 where `second` wrote, 7 where only `first`
// did, 0 elsewhere; each shape's logged spans cover exactly its pixels; the
// pixels are those drawn with explaining off.
void expect_writers(int w, int h, const Draw &prep, const Draw &first, const Draw &second) {
    const std::vector<bool> one = drawn_alone(w, h, prep, first), two = drawn_alone(w, h, prep, second);
    bool overlap = false;
    for (size_t i = 0; i < one.size(); ++i) overlap = overlap || (one[i] && two[i]);
    ASSERT_TRUE(overlap) << "the shapes must overlap\n" << mask_picture(one, w) << "\n" << mask_picture(two, w);

    Canvas off(w, h);
    prep(off);
    first(off);
    second(off);

    Canvas c(w, h);
    prep(c);
    standin::set_explaining(true);
    logged(c);
    standin::set_pixel_writer(7);
    first(c);
    EXPECT_EQ(mask_picture(logged(c), w), mask_picture(one, w)) << "first shape's spans";
    standin::set_pixel_writer(8);
    second(c);
    EXPECT_EQ(mask_picture(logged(c), w), mask_picture(two, w)) << "second shape's spans";

    standin::WriterView v{};
    ASSERT_TRUE(standin::surface_writers(surface_of(c), &v));
    ASSERT_EQ(v.width, w);
    ASSERT_EQ(v.height, h);
    std::string want, got;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * w + x;
            want += two[i] ? '8' : one[i] ? '7' : '0';
            const uint32_t writer = v.writers[y * v.stride + x];
            got += writer <= 9 ? static_cast<char>('0' + writer) : '?';
            EXPECT_EQ(standin::pixel_to_colorref(v.pixels[y * v.stride + x]), c.at(x, y)) << x << "," << y;
        }
        want += '\n';
        got += '\n';
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(snapshot(c), snapshot(off)) << "explaining changed what is drawn";
}

void nothing(Canvas &) {}

TEST_F(PixelWriters, FillsMarkTheirRectangles) {
    expect_writers(
        16, 12, nothing,
        [](Canvas &c) {
            c.pen(PS_SOLID, 1);
            c.brush();
            Rectangle(c.dc(), 2, 2, 10, 8);
        },
        [](Canvas &c) {
            HBRUSH b = CreateSolidBrush(RGB(0, 160, 0));
            const RECT r{6, 4, 14, 11};
            FillRect(c.dc(), &r, b);
            DeleteObject(b);
        });
}

TEST_F(PixelWriters, WideOutlinesAndEllipsesMarkTheirRows) {
    expect_writers(
        18, 14, nothing,
        [](Canvas &c) {
            c.pen(PS_SOLID, 3);
            c.brush();
            Rectangle(c.dc(), 2, 2, 11, 9);
        },
        [](Canvas &c) {
            c.pen(PS_SOLID, 1, RGB(0, 120, 0));
            c.brush(RGB(200, 200, 0));
            Ellipse(c.dc(), 5, 3, 16, 13);
        });
}

TEST_F(PixelWriters, ThinAndWideLinesMarkTheirPixels) {
    expect_writers(
        16, 12, nothing,
        [](Canvas &c) {
            c.pen(PS_SOLID, 0);
            MoveToEx(c.dc(), 1, 1, nullptr);
            LineTo(c.dc(), 14, 9);
            LineTo(c.dc(), 3, 10);
        },
        [](Canvas &c) {
            c.pen(PS_SOLID, 4, RGB(0, 120, 0));
            MoveToEx(c.dc(), 2, 9, nullptr);
            LineTo(c.dc(), 13, 3);
        });
}

TEST_F(PixelWriters, PolygonsMarkFillAndOutline) {
    expect_writers(
        16, 12, nothing,
        [](Canvas &c) {
            c.pen(PS_SOLID, 1);
            c.brush();
            const POINT p[] = {{1, 1}, {13, 3}, {6, 10}};
            Polygon(c.dc(), p, 3);
        },
        [](Canvas &c) {
            c.pen(PS_SOLID, 3, RGB(0, 120, 0));
            c.hollow();
            const POINT p[] = {{4, 2}, {14, 6}, {10, 11}, {3, 8}};
            Polygon(c.dc(), p, 4);
        });
}

TEST_F(PixelWriters, SetPixelMarksOnePixel) {
    expect_writers(
        8, 6, nothing,
        [](Canvas &c) {
            SetPixel(c.dc(), 2, 2, RGB(255, 0, 0));
            SetPixel(c.dc(), 3, 2, RGB(255, 0, 0));
            SetPixel(c.dc(), 6, 4, RGB(255, 0, 0));
        },
        [](Canvas &c) {
            HBRUSH b = CreateSolidBrush(RGB(0, 160, 0));
            const RECT all{0, 0, c.width(), c.height()};
            FillRect(c.dc(), &all, b);
            DeleteObject(b);
            SetPixel(c.dc(), 3, 2, RGB(0, 0, 255));
        });
}

// More separate writes than the plane's record holds before it writes itself.
TEST_F(PixelWriters, ManySmallWritesKeepTheirWriters) {
    expect_writers(
        184, 184, nothing,
        [](Canvas &c) {
            for (int y = 0; y < c.height(); ++y)
                for (int x = y & 1; x < c.width(); x += 2) SetPixel(c.dc(), x, y, RGB(255, 0, 0));
        },
        [](Canvas &c) {
            c.pen(PS_SOLID, 1);
            c.brush();
            Ellipse(c.dc(), 20, 30, 150, 120);
        });
}

// Every pixel its own colour, so that a move changes every pixel it writes.
void fill_codes(Canvas &c) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) SetPixel(c.dc(), x, y, RGB(x * 10 + 5, y * 10 + 5, 77));
}

TEST_F(PixelWriters, CopiesIntoABitmapMarkTheirDestination) {
    Canvas source(6, 6, 32, RGB(0, 200, 0));
    expect_writers(
        16, 12, fill_codes,
        [](Canvas &c) {
            const RECT scroll{2, 2, 12, 9};
            ScrollDC(c.dc(), 2, 1, &scroll, nullptr, nullptr, nullptr);
        },
        [&source](Canvas &c) { BitBlt(c.dc(), 9, 6, 6, 6, source.dc(), 0, 0, SRCCOPY); });
}

TEST_F(PixelWriters, GlyphsMarkThePixelsTheirCoverageReaches) {
    HFONT font = CreateFontA(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "TELKA-font");
    const Draw text = [font](Canvas &c) {
        SelectObject(c.dc(), font);
        SetBkMode(c.dc(), TRANSPARENT);
        SetTextColor(c.dc(), RGB(0, 0, 0));
        TextOutA(c.dc(), 1, 1, "Hg@", 3);
    };
    expect_writers(40, 20, nothing, text, [](Canvas &c) {
        c.null_pen();
        c.brush();
        Rectangle(c.dc(), 8, 6, 20, 18);
    });
    DeleteObject(font);
}

TEST_F(PixelWriters, OffNoBitmapKeepsAPlaneAndNothingIsLogged) {
    Canvas c(8, 8);
    c.pen(PS_SOLID, 1);
    Rectangle(c.dc(), 1, 1, 6, 6);
    standin::WriterView v{};
    EXPECT_FALSE(standin::surface_writers(surface_of(c), &v));
    std::vector<standin::WrittenSpan> spans{{nullptr, 0, 0, 1}};
    standin::take_written_spans(&spans);
    EXPECT_TRUE(spans.empty());

    standin::set_explaining(true);
    Rectangle(c.dc(), 2, 2, 7, 7);
    EXPECT_TRUE(standin::surface_writers(surface_of(c), &v));
    standin::set_explaining(false);
    EXPECT_FALSE(standin::surface_writers(surface_of(c), &v));
    standin::take_written_spans(&spans);
    EXPECT_TRUE(spans.empty());
}

TEST_F(PixelWriters, MonochromeBitmapsHaveNoPlane) {
    standin::set_explaining(true);
    Canvas c(8, 8, 1);
    c.pen(PS_SOLID, 1, RGB(0, 0, 0));
    Rectangle(c.dc(), 1, 1, 6, 6);
    standin::WriterView v{};
    EXPECT_FALSE(standin::surface_writers(surface_of(c), &v));
    std::vector<standin::WrittenSpan> spans;
    standin::take_written_spans(&spans);
    EXPECT_TRUE(spans.empty());
}

TEST_F(PixelWriters, ADeletedBitmapIsNoLongerFound) {
    standin::set_explaining(true);
    const void *gone = nullptr;
    {
        Canvas c(8, 8);
        c.pen(PS_SOLID, 1);
        Rectangle(c.dc(), 1, 1, 6, 6);
        gone = surface_of(c);
        standin::WriterView v{};
        ASSERT_TRUE(standin::surface_writers(gone, &v));
    }
    standin::WriterView v{};
    EXPECT_FALSE(standin::surface_writers(gone, &v));
}

}  // namespace
