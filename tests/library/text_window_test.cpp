// The text window: TELKA_printf's 25-line ring and its results, output made
// before the window exists, and the painted picture (newest line at the
// bottom, 5 px from the left; trailing line feeds; empty lines; one repaint
// for many lines).
#include "library_fixture.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

using namespace libtest;

namespace {

// Line height of the stock fixed font that the window paints with.
int line_height() {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    return tm.tmHeight + tm.tmExternalLeading;
}

bool ink(uint32_t p) { return (p & 0xFFFFFF) != 0xFFFFFF; }

// What the text window shows, row by row, as a copyable picture.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;

    static Picture of_text_window() {
        Picture pic;
        standin::PixelView v;
        if (!standin::window_client_pixels(lib.textWnd, &v)) return pic;
        pic.width = v.width;
        pic.height = v.height;
        for (int y = 0; y < v.height; ++y)
            for (int x = 0; x < v.width; ++x) pic.px.push_back(v.at(x, y) & 0xFFFFFF);
        return pic;
    }
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
    // Rows [top, bottom) that hold ink.
    int ink_in_rows(int top, int bottom) const {
        int n = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
            for (int x = 0; x < width; ++x) n += ink(at(x, y));
        return n;
    }
    int leftmost_ink() const {
        int left = width;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (ink(at(x, y))) left = std::min(left, x);
        return left;
    }
    // The band of rows [top, top + h) as one vector.
    std::vector<uint32_t> band(int top, int h) const {
        return std::vector<uint32_t>(px.begin() + static_cast<ptrdiff_t>(top) * width,
                                     px.begin() + static_cast<ptrdiff_t>(top + h) * width);
    }
};

class TextWindow : public LibraryTest {};

// ---- the ring ----

TEST_F(TextWindow, RingKeepsTheLast25Lines) {
    clear_ring();
    for (int i = 1; i <= 26; ++i) TELKA_printf("line %d\n", i);
    std::vector<std::string> expected;
    for (int i = 2; i <= 26; ++i) expected.push_back("line " + std::to_string(i) + "\n");
    EXPECT_EQ(ring(), expected);
    // And it keeps turning.
    for (int i = 27; i <= 60; ++i) TELKA_printf("line %d\n", i);
    EXPECT_EQ(ring().size(), 25u);
    EXPECT_EQ(ring().front(), "line 36\n");
    EXPECT_EQ(ring().back(), "line 60\n");
}

TEST_F(TextWindow, PrintfReturnsTheFormattedCountAndStoresOneLinePerCall) {
    clear_ring();
    EXPECT_EQ(TELKA_printf("abc %d\n", 42), 7);
    EXPECT_EQ(TELKA_printf("%s", ""), 0);
    EXPECT_EQ(TELKA_printf("two\nparts"), 9);
    EXPECT_EQ(ring(), (std::vector<std::string>{"abc 42\n", "", "two\nparts"}));
}

// The library formats %s, %d and %% itself and leaves the rest to the C
// library: either way a line is what the C library makes of it, cut alike.
TEST_F(TextWindow, PrintfFormatsAsTheCLibraryDoes) {
    const std::string long_text(1100, 'y');
    struct Case {
        const char *format;
        const char *s;
        int a, b;
    };
    const Case cases[] = {
        {"%s at (%d,%d)\n", "Red", INT_MIN, INT_MAX},
        {"100%% %s%d%d", "", 0, -7},
        {"%s %d %d", long_text.c_str(), 12, 34},
        {"%s|%5d|%x", "width", 42, 255},
        {"%s%%%d%%", "%d", -1, 0},
    };
    for (const Case &c : cases) {
        clear_ring();
        char want[1024];
        const int n = std::snprintf(want, sizeof want, c.format, c.s, c.a, c.b);
        EXPECT_EQ(TELKA_printf(c.format, c.s, c.a, c.b), std::min(n, 1023)) << c.format;
        ASSERT_EQ(ring().size(), 1u);
        EXPECT_EQ(ring()[0], want) << c.format;
    }
}

TEST_F(TextWindow, OutputLongerThan1023IsCut) {
    clear_ring();
    std::string big(5000, 'x');
    big[1022] = 'A';
    big[1023] = 'B';
    const int n = TELKA_printf("%s", big.c_str());
    EXPECT_EQ(n, 1023);  // the characters that fit the 1024-byte buffer
    ASSERT_EQ(ring().size(), 1u);
    EXPECT_EQ(ring()[0], big.substr(0, 1023));
}

TEST(TextWindowBeforeOpen, OutputIsStoredAndShownOnceTheWindowExists) {
    ASSERT_TRUE(standin::use_headless_backend());
    EXPECT_EQ(TELKA_printf("early %d", 1), 7);
    EXPECT_EQ(ring(), std::vector<std::string>{"early 1"});
    open_library();
    settle();
    const Picture pic = Picture::of_text_window();
    ASSERT_GT(pic.height, 0);
    const int h = line_height();
    EXPECT_GT(pic.ink_in_rows(pic.height - h, pic.height), 0);
}

// ---- painting ----

TEST_F(TextWindow, EmptyRingShowsOnlyWhite) {
    settle();
    const Picture pic = Picture::of_text_window();
    ASSERT_GT(pic.height, 0);
    EXPECT_EQ(pic.ink_in_rows(0, pic.height), 0);
}

TEST_F(TextWindow, NewestLineSitsAtTheBottomFivePixelsFromTheLeft) {
    TELKA_printf("W");
    settle();
    const Picture pic = Picture::of_text_window();
    const int h = line_height();
    ASSERT_GT(pic.height, 2 * h);
    EXPECT_GT(pic.ink_in_rows(pic.height - h, pic.height), 0);
    EXPECT_EQ(pic.ink_in_rows(0, pic.height - h), 0);
    const int left = pic.leftmost_ink();
    EXPECT_GE(left, 5);
    EXPECT_LT(left, 5 + h);  // within the first character cell

    TELKA_printf("V");
    settle();
    const Picture two = Picture::of_text_window();
    // The older line moved up by exactly one line height.
    EXPECT_EQ(two.band(two.height - 2 * h, h), pic.band(pic.height - h, h));
    EXPECT_EQ(two.ink_in_rows(0, two.height - 2 * h), 0);
}

TEST_F(TextWindow, TrailingLineFeedIsDrawnLikeNone) {
    const int h = line_height();
    // The check can fail only if a line feed leaves marks of its own.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 200, 40);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    RECT all{0, 0, 200, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TextOutA(dc, 0, 0, "\n", 1);
    int lf_ink = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) lf_ink += GetPixel(dc, x, y) != RGB(255, 255, 255);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    ASSERT_GT(lf_ink, 0) << "the fixed font draws nothing for a line feed";

    TELKA_printf("Hello\n");
    TELKA_printf("Hello");
    settle();
    const Picture pic = Picture::of_text_window();
    ASSERT_GT(pic.height, 2 * h);
    EXPECT_GT(pic.ink_in_rows(pic.height - h, pic.height), 0);
    EXPECT_EQ(pic.band(pic.height - 2 * h, h), pic.band(pic.height - h, h));
}

TEST_F(TextWindow, InnerLineFeedStaysInOneLine) {
    TELKA_printf("Hel\nlo");
    settle();
    const Picture pic = Picture::of_text_window();
    const int h = line_height();
    EXPECT_GT(pic.ink_in_rows(pic.height - h, pic.height), 0);
    EXPECT_EQ(pic.ink_in_rows(0, pic.height - h), 0);
}

TEST_F(TextWindow, EmptyLineTakesARow) {
    TELKA_printf("first");
    TELKA_printf("%s", "");
    settle();
    const Picture pic = Picture::of_text_window();
    const int h = line_height();
    EXPECT_EQ(pic.ink_in_rows(pic.height - h, pic.height), 0);
    EXPECT_GT(pic.ink_in_rows(pic.height - 2 * h, pic.height - h), 0);
    EXPECT_EQ(pic.ink_in_rows(0, pic.height - 2 * h), 0);
}

TEST_F(TextWindow, ResizingRepaintsBottomAligned) {
    const int h = line_height();
    for (int i = 0; i < 25; ++i) TELKA_printf("line %d", i);
    settle();
    const Picture small = Picture::of_text_window();
    // Taller than 25 lines: the newest line moves to the new bottom, empty space on top.
    standin::headless_resize(lib.textWnd, 601, 27 * h + 40);
    settle();
    const Picture tall = Picture::of_text_window();
    ASSERT_GT(tall.height, 26 * h);
    EXPECT_EQ(tall.band(tall.height - h, h), small.band(small.height - h, h));
    EXPECT_GT(tall.ink_in_rows(tall.height - 25 * h, tall.height - 24 * h), 0);
    EXPECT_EQ(tall.ink_in_rows(0, tall.height - 25 * h), 0);
}

TEST_F(TextWindow, ManyLinesCauseOneRepaintLater) {
    settle();
    const Picture before = Picture::of_text_window();
    for (int i = 0; i < 60; ++i) TELKA_printf("line %d", i);
    // Nothing is painted inside TELKA_printf.
    EXPECT_EQ(Picture::of_text_window().px, before.px);

    int paints = 0;
    settle([&](const MSG &m) {
        if (m.message == WM_PAINT && m.hwnd == lib.textWnd) ++paints;
    });
    EXPECT_EQ(paints, 1);
    const Picture after = Picture::of_text_window();
    const int h = line_height();
    EXPECT_GT(after.ink_in_rows(after.height - h, after.height), 0);
}

}  // namespace
