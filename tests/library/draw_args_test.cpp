// The drawing operations as the text window and the back buffer see them:
// every argument message and log line, the order of the messages per
// operation, logging off, the formatted and measuring calls, and hostile
// int32 arguments.
#include "library_fixture.h"

#include <climits>
#include <string>

using namespace libtest;

namespace {

using Lines = std::vector<std::string>;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class DrawArgs : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        TELKA_clear();
        clear_ring();
    }
    // The lines produced since the last call.
    Lines take() {
        Lines l = ring();
        clear_ring();
        return l;
    }
};

// ---- colour ----

TEST_F(DrawArgs, IllegalColoursAreReportedAndDrawnRed) {
    for (int c : {24, 25, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(c);
        TELKA_clear();
        clear_ring();
        EXPECT_EQ(TELKA_pixel(c, 7, 8), 1);
        EXPECT_EQ(take(), (Lines{"Illegal color " + std::to_string(c) + "; using RED.\n", "red pixel at (7,8)\n"}));
        EXPECT_EQ(back_pixel(7, 8), kRed);

        EXPECT_EQ(TELKA_rectangle(c, -3, 3, 3, -3, 0), 1);
        EXPECT_EQ(take(), (Lines{"Illegal color " + std::to_string(c) + "; using RED.\n",
                                 "red rectangle with bounding box (-3,3) to (3,-3), filled\n"}));
        EXPECT_EQ(back_pixel(0, 0), kRed);
    }
    // 0 and 23 are valid.
    TELKA_pixel(0, 1, 1);
    TELKA_pixel(23, 2, 2);
    EXPECT_EQ(take(), (Lines{"black pixel at (1,1)\n", "20% gray pixel at (2,2)\n"}));
    EXPECT_EQ(back_pixel(2, 2), RGB(204, 204, 204));
}

// ---- order of the messages ----

TEST_F(DrawArgs, RectangleReportsColourFirstOvalWidthFirst) {
    TELKA_rectangle(30, 10, -10, -10, 10, -2);
    EXPECT_EQ(take(), (Lines{"Illegal color 30; using RED.\n", "Width of -2 not possible, using width 2\n",
                             "red rectangle with bounding box (-10,10) to (10,-10) with line width 2\n"}));
    EXPECT_EQ(back_pixel(-10, 10), kRed);
    EXPECT_EQ(back_pixel(0, 0), kWhite);  // an outline only

    TELKA_clear();
    clear_ring();
    TELKA_oval(30, 10, -10, -10, 10, -2);
    EXPECT_EQ(take(), (Lines{"Width of -2 not possible, using width 2\n", "Illegal color 30; using RED.\n",
                             "red oval with bounding box (-10,10) to (10,-10), line width 2\n"}));
    EXPECT_EQ(back_pixel(0, 0), kWhite);
    EXPECT_EQ(back_pixel(-10, 0), kRed);
}

TEST_F(DrawArgs, LineTriangleCircleAndTextOrders) {
    TELKA_line(30, 10, -10, -10, 10, -2);  // width, then colour; no corner exchange
    EXPECT_EQ(take(), (Lines{"Width of -2 not possible, using width 2\n", "Illegal color 30; using RED.\n",
                             "red line from (10,-10) to (-10,10), width 2\n"}));
    TELKA_triangle(30, 0, 0, 5, 5, -5, 5, -2);  // colour, then width
    EXPECT_EQ(take(), (Lines{"Illegal color 30; using RED.\n", "Width of -2 not possible, using width 2\n",
                             "red triangle at (0,0), (5,5), (-5,5)\n"}));
    TELKA_circle(30, 1, 2, -5);  // colour, then radius
    EXPECT_EQ(take(), (Lines{"Illegal color 30; using RED.\n", "Radius of -5 not possible, using radius 5\n",
                             "red circle at (1,2), radius 5\n"}));
    TELKA_text(30, 3, 4, -12, "hi");  // point size, then colour
    EXPECT_EQ(take(), (Lines{"ptsize of -12 not possible, using ptsize 12\n", "Illegal color 30; using RED.\n",
                             "red text at (3,4), \"hi\"\n"}));
}

TEST_F(DrawArgs, PointFormsBehaveAsIntegerForms) {
    TELKA_rectangle_pt(4, Point{5, -5}, Point{-5, 5}, 0);
    TELKA_oval_pt(6, Point{20, 20}, Point{30, 30}, 1);
    TELKA_line_pt(3, Point{0, 40}, Point{10, 40}, 0);
    TELKA_triangle_pt(5, Point{0, -40}, Point{10, -40}, Point{5, -30}, 0);
    TELKA_circle_pt(7, Point{-40, 0}, 3);
    TELKA_pixel_pt(8, Point{-50, -50});
    TELKA_text_pt(0, Point{-100, 100}, 12, "pt");
    EXPECT_EQ(take(), (Lines{"blue rectangle with bounding box (-5,5) to (5,-5), filled\n",
                             "magenta oval with bounding box (20,30) to (30,20), line width 1\n",
                             "green line from (0,40) to (10,40), width 0\n",
                             "yellow triangle at (0,-40), (10,-40), (5,-30)\n", "cyan circle at (-40,0), radius 3\n",
                             "purple pixel at (-50,-50)\n", "black text at (-100,100), \"pt\"\n"}));
    EXPECT_EQ(back_pixel(0, 0), kBlue);
    EXPECT_EQ(back_pixel(5, 40), kGreen);
    EXPECT_EQ(back_pixel(-40, 0), RGB(0, 255, 255));
    EXPECT_EQ(back_pixel(-50, -50), RGB(153, 0, 204));
}

// ---- widths, radius, point size ----

TEST_F(DrawArgs, WidthZeroFillsAndLogsFilled) {
    TELKA_rectangle(4, -10, 10, 10, -10, 0);
    TELKA_oval(5, 20, 10, 40, -10, 0);
    TELKA_triangle(3, -60, -10, -40, -10, -50, 10, 0);
    EXPECT_EQ(take(), (Lines{"blue rectangle with bounding box (-10,10) to (10,-10), filled\n",
                             "yellow oval with bounding box (20,10) to (40,-10), filled\n",
                             "green triangle at (-60,-10), (-40,-10), (-50,10)\n"}));
    EXPECT_EQ(back_pixel(0, 0), kBlue);
    EXPECT_EQ(back_pixel(30, 0), RGB(255, 255, 0));
    EXPECT_EQ(back_pixel(-50, -5), kGreen);
}

TEST_F(DrawArgs, WidthThreeIsAnOutlineWithItsInsideLeftAsItWas) {
    TELKA_rectangle(0, -20, 20, 20, -20, 0);  // black underneath
    TELKA_rectangle(4, -20, 20, 20, -20, 3);
    EXPECT_EQ(take().back(), "blue rectangle with bounding box (-20,20) to (20,-20) with line width 3\n");
    EXPECT_EQ(back_pixel(-20, 0), kBlue);
    EXPECT_EQ(back_pixel(0, 0), RGB(0, 0, 0));
    TELKA_triangle(0, -60, -10, -40, -10, -50, 10, 0);
    TELKA_triangle(4, -60, -10, -40, -10, -50, 10, 3);
    EXPECT_EQ(back_pixel(-50, -10), kBlue);
    EXPECT_EQ(back_pixel(-50, -3), RGB(0, 0, 0));
}

TEST_F(DrawArgs, LineOfWidthZeroIsLoggedZeroAndDrawnOnePixelWide) {
    TELKA_line(4, -20, 0, 20, 0, 0);
    EXPECT_EQ(take(), (Lines{"blue line from (-20,0) to (20,0), width 0\n"}));
    EXPECT_EQ(back_pixel(-20, 0), kBlue);
    EXPECT_EQ(back_pixel(0, 0), kBlue);
    EXPECT_EQ(back_pixel(19, 0), kBlue);
    EXPECT_EQ(back_pixel(20, 0), kWhite);  // the end point is left out
    EXPECT_EQ(back_pixel(0, 1), kWhite);
    EXPECT_EQ(back_pixel(0, -1), kWhite);
}

TEST_F(DrawArgs, NegativeRadiusIsReportedAndItsMagnitudeDrawn) {
    TELKA_circle(4, 1, 2, -5);
    EXPECT_EQ(take(), (Lines{"Radius of -5 not possible, using radius 5\n", "blue circle at (1,2), radius 5\n"}));
    EXPECT_EQ(back_pixel(1, 2), kBlue);  // a filled disc
    EXPECT_EQ(back_pixel(1 + 4, 2), kBlue);
    EXPECT_EQ(back_pixel(1, 2 - 4), kBlue);
    EXPECT_EQ(back_pixel(1 + 7, 2), kWhite);
    EXPECT_EQ(back_pixel(1, 2 + 7), kWhite);
}

TEST_F(DrawArgs, PointSizeRules) {
    TELKA_text(0, 0, 0, -200, "x");
    EXPECT_EQ(take(), (Lines{"ptsize of -200 not possible, using ptsize 200\n",
                             "ptsize of 200 not possible, using ptsize 127\n", "black text at (0,0), \"x\"\n"}));
    TELKA_text(0, 0, 0, 128, "x");
    EXPECT_EQ(take(), (Lines{"ptsize of 128 not possible, using ptsize 127\n", "black text at (0,0), \"x\"\n"}));
    TELKA_text(0, 0, 0, 127, "x");
    TELKA_text(0, 0, 0, 0, "x");
    EXPECT_EQ(take(), (Lines{"black text at (0,0), \"x\"\n", "black text at (0,0), \"x\"\n"}));

    // Measuring follows the same rules, without a log line.
    int32_t h200 = 0, w200 = 0, h127 = 0, w127 = 0;
    TELKA_text_size(-200, &h200, &w200, "Mg");
    EXPECT_EQ(take(), (Lines{"ptsize of -200 not possible, using ptsize 200\n",
                             "ptsize of 200 not possible, using ptsize 127\n"}));
    TELKA_text_size(127, &h127, &w127, "Mg");
    EXPECT_EQ(take(), Lines{});
    EXPECT_EQ(h200, h127);
    EXPECT_EQ(w200, w127);
}

TEST_F(DrawArgs, MostNegativeValuesAreReportedAsTheLargestInt) {
    TELKA_rectangle(1, 0, 0, 1, 1, INT_MIN);
    TELKA_circle(1, 0, 0, INT_MIN);
    int32_t h = 0, w = 0;
    TELKA_text_size(INT_MIN, &h, &w, "");
    const Lines l = take();
    ASSERT_EQ(l.size(), 6u);
    EXPECT_EQ(l[0], "Width of -2147483648 not possible, using width 2147483647\n");
    EXPECT_EQ(l[1], "white rectangle with bounding box (0,1) to (1,0) with line width 2147483647\n");
    EXPECT_EQ(l[2], "Radius of -2147483648 not possible, using radius 2147483647\n");
    EXPECT_EQ(l[3], "white circle at (0,0), radius 2147483647\n");
    EXPECT_EQ(l[4], "ptsize of -2147483648 not possible, using ptsize 2147483647\n");
    EXPECT_EQ(l[5], "ptsize of 2147483647 not possible, using ptsize 127\n");
}

// ---- logging off, clear, flush, undo ----

TEST_F(DrawArgs, LoggingOffKeepsArgumentMessagesOnly) {
    TELKA_logging(0);
    clear_ring();
    TELKA_rectangle(30, 0, 0, 10, 10, -2);
    TELKA_pixel(1, 0, 0);
    TELKA_text(1, 0, 0, 12, "quiet");
    TELKA_clear();
    TELKA_flush();
    EXPECT_EQ(take(), (Lines{"Illegal color 30; using RED.\n", "Width of -2 not possible, using width 2\n"}));
    EXPECT_EQ(TELKA_undo(), 1);
    EXPECT_EQ(take(), (Lines{"TELKA_undo is no longer supported.\n"}));
}

TEST_F(DrawArgs, ClearFlushAndUndoLines) {
    EXPECT_EQ(TELKA_clear(), 1);
    EXPECT_EQ(TELKA_flush(), 1);
    EXPECT_EQ(TELKA_undo(), 1);
    EXPECT_EQ(take(), (Lines{"Clearing the graphics window\n", "Flushing the graphics window\n",
                             "TELKA_undo is no longer supported.\n"}));
}

// ---- formatted text and measuring ----

TEST_F(DrawArgs, TextfReturnsTheFormattedCountAndLogsTheText) {
    EXPECT_EQ(TELKA_textf(1, 0, 230, 12, "Score: %d", 150), 10);
    EXPECT_EQ(TELKA_textf_pt(0, Point{-5, 6}, 12, "%s-%d", "ab", 7), 4);
    EXPECT_EQ(take(), (Lines{"white text at (0,230), \"Score: 150\"\n", "black text at (-5,6), \"ab-7\"\n"}));
}

TEST_F(DrawArgs, TextSizeMeasuresOneLineWithTheNewlineAsACharacter) {
    int32_t h1 = 0, w1 = 0, h2 = 0, w2 = 0, hn = 0, wn = 0;
    TELKA_flush();
    ASSERT_EQ(lib.backBufferDirty, 0);
    clear_ring();
    TELKA_text_size(24, &h1, &w1, "AB");
    TELKA_text_size(24, &h2, &w2, "AB\n");
    TELKA_text_size(24, &hn, &wn, "\n");
    EXPECT_GT(h1, 0);
    EXPECT_EQ(h2, h1);  // one line's height
    EXPECT_GT(wn, 0);
    EXPECT_EQ(w2, w1 + wn);
    EXPECT_EQ(lib.backBufferDirty, 0);
    lib.backBufferDirty = 1;
    EXPECT_EQ(TELKA_textf_size(24, &h2, &w2, "A%c", 'B'), 2);
    EXPECT_EQ(w2, w1);
    EXPECT_EQ(lib.backBufferDirty, 1);
    EXPECT_EQ(take(), Lines{});
}

TEST_F(DrawArgs, FormattedTextLongerThan1023IsCut) {
    TELKA_logging(0);
    std::string big(5000, 'm');
    int32_t hBig = 0, wBig = 0, hCut = 0, wCut = 0;
    EXPECT_EQ(TELKA_textf_size(12, &hBig, &wBig, "%s", big.c_str()), 1023);
    TELKA_text_size(12, &hCut, &wCut, big.substr(0, 1023).c_str());
    EXPECT_EQ(wBig, wCut);
    EXPECT_EQ(TELKA_textf(0, -300, 0, 12, "%s", big.c_str()), 1023);
    EXPECT_EQ(TELKA_textf_pt(0, Point{-300, 0}, 12, "%s", big.c_str()), 1023);
    TELKA_logging(1);
    clear_ring();
    TELKA_textf(0, 0, 0, 12, "%s", big.c_str());
    const Lines l = take();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].size(), 1023u);  // the log line is cut as well
    EXPECT_EQ(l[0].rfind("black text at (0,0), \"mmm", 0), 0u);
}

// ---- hostile coordinates ----

TEST_F(DrawArgs, HugeShapesCoverTheBufferWithoutOverflow) {
    TELKA_logging(0);
    TELKA_rectangle(3, INT_MIN, INT_MAX, INT_MAX, INT_MIN, 0);
    for (auto [x, y] : {std::pair{0, 0}, {1, 1}, {600, 0}, {0, 539}, {600, 539}, {300, 270}})
        EXPECT_EQ(device_pixel(x, y), kGreen) << x << "," << y;
    TELKA_circle(4, 0, 0, INT_MAX);
    for (auto [x, y] : {std::pair{0, 0}, {600, 0}, {0, 539}, {600, 539}, {300, 270}})
        EXPECT_EQ(device_pixel(x, y), kBlue) << x << "," << y;
    TELKA_line(2, INT_MIN, 0, INT_MAX, 0, 1);
    EXPECT_EQ(back_pixel(-300, 0), kRed);
    EXPECT_EQ(back_pixel(300, 0), kRed);
    EXPECT_EQ(back_pixel(0, 1), kBlue);
}

TEST_F(DrawArgs, AnyInt32ArgumentsFinishWithoutHarm) {
    TELKA_logging(0);
    const int32_t v[] = {INT_MIN, -1, 0, 1, INT_MAX};
    for (int32_t a : v)
        for (int32_t b : v)
            for (int32_t c : v)
                for (int32_t d : v) {
                    for (int32_t w : {0, 1, 3, INT_MAX, INT_MIN}) {
                        TELKA_rectangle(a & 7, a, b, c, d, w);
                        TELKA_oval(b & 7, a, b, c, d, w);
                        TELKA_line(c & 7, a, b, c, d, w);
                    }
                    TELKA_triangle(d & 7, a, b, c, d, b, a, 0);
                    TELKA_triangle(d & 7, a, b, c, d, d, c, 2);
                }
    for (int32_t a : v)
        for (int32_t b : v) {
            for (int32_t r : v) TELKA_circle(5, a, b, r);
            TELKA_pixel(6, a, b);
            TELKA_text(0, a, b, 127, "A\nB");
            int32_t h = 0, w = 0;
            TELKA_text_size(b, &h, &w, "xyz");
        }
    // The buffer still takes drawing where it should.
    TELKA_clear();
    TELKA_pixel(2, 5, 5);
    EXPECT_EQ(back_pixel(5, 5), kRed);
    EXPECT_EQ(back_pixel(6, 5), kWhite);
}

}  // namespace

namespace {

// Null texts, formats and out-pointers are reported and treated as empty or
// skipped; nothing crashes.
using NullArguments = libtest::LibraryTest;

TEST_F(NullArguments, AreReportedNotFollowed) {
    TELKA_logging(0);
    libtest::clear_ring();
    EXPECT_EQ(TELKA_text(TELKA_RED, 0, 0, 12, nullptr), 1);
    EXPECT_EQ(TELKA_textf(TELKA_RED, 0, 0, 12, nullptr), 0);
    int32_t h = -1;
    EXPECT_EQ(TELKA_text_size(12, &h, nullptr, "abc"), 1);
    EXPECT_GT(h, 0);
    EXPECT_EQ(TELKA_printf(nullptr), 0);
    EXPECT_EQ(TELKA_gets("prompt", nullptr), 0);
    const std::vector<std::string> lines = libtest::ring();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "TELKA_text: no text given; using an empty text\n");
    EXPECT_EQ(lines[1], "formatted text: no text given; using an empty text\n");
    EXPECT_EQ(lines[2], "TELKA_printf: no format given\n");
    EXPECT_EQ(lines[3], "TELKA_gets: no result buffer given; nothing asked\n");
}

}  // namespace
