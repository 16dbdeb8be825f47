// TextOutA of the GDI stand-in: cell placement, OPAQUE and TRANSPARENT
// backgrounds, monochrome thresholding, clipping at any int32 position and
// height, and the Windows-1252 upper half. Pixels are checked
// against cells, glyph boxes and other drawings, never against glyph shapes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "text/font_cache.h"
#include "gdi/gdi_objects.h"
#include "gdi/target.h"

namespace {

constexpr uint32_t kGrey = 0x808080;

HFONT make_font(int height, const char *face = "TELKA-font") {
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, face);
}

// A memory DC drawing on a bitmap of known contents, with an optional font
// that it owns and deletes.
class TextCanvas {
public:
    TextCanvas(int w, int h, int bpp = 32, uint32_t fill = kGrey) : w_(w), h_(h) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = standin::gdi_new_bitmap(w, h, bpp);
        standin::gdi_register(bitmap_);
        std::ranges::fill(bitmap_->pixels.for_writing(), fill);
        prev_bitmap_ = SelectObject(dc_, bitmap_);
    }
    ~TextCanvas() {
        if (font_) {
            SelectObject(dc_, prev_font_);
            DeleteObject(font_);
        }
        SelectObject(dc_, prev_bitmap_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    TextCanvas(const TextCanvas &) = delete;
    TextCanvas &operator=(const TextCanvas &) = delete;

    void use_font(HFONT f) {
        HGDIOBJ prev = SelectObject(dc_, f);
        if (font_) DeleteObject(font_);
        else prev_font_ = prev;
        font_ = f;
    }
    HDC dc() const { return dc_; }
    int width() const { return w_; }
    int height() const { return h_; }
    uint32_t at(int x, int y) const { return bitmap_->pixels[static_cast<size_t>(y) * w_ + x]; }
    const std::vector<uint32_t> &pixels() const { return bitmap_->pixels; }
    std::span<uint32_t> for_writing() { return bitmap_->pixels.for_writing(); }
    bool text(int x, int y, const std::string &s) const {
        return TextOutA(dc_, x, y, s.data(), static_cast<int>(s.size())) != FALSE;
    }
    TEXTMETRICA metrics() const {
        TEXTMETRICA tm{};
        GetTextMetricsA(dc_, &tm);
        return tm;
    }
    SIZE extent(const std::string &s) const {
        SIZE sz{};
        GetTextExtentPointA(dc_, s.data(), static_cast<int>(s.size()), &sz);
        return sz;
    }
    int count(uint32_t px) const { return static_cast<int>(std::count(pixels().begin(), pixels().end(), px)); }

private:
    int w_, h_;
    HDC dc_ = nullptr;
    standin::Bitmap *bitmap_ = nullptr;
    HGDIOBJ prev_bitmap_ = nullptr;
    HGDIOBJ prev_font_ = nullptr;
    HFONT font_ = nullptr;
};

bool in_rect(int x, int y, int64_t l, int64_t t, int64_t r, int64_t b) { return x >= l && x < r && y >= t && y < b; }

// True when p lies on the colour segment from `from` to `to` (a blend of the two).
bool is_blend(uint32_t p, uint32_t from, uint32_t to) {
    double t = -1;
    for (int shift : {0, 8, 16}) {
        const int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF, v = (p >> shift) & 0xFF;
        if (a == b) {
            if (std::abs(v - a) > 1) return false;
            continue;
        }
        const double ct = double(v - a) / (b - a);
        if (ct < -0.01 || ct > 1.01) return false;
        if (t >= 0 && std::fabs(ct - t) > 0.02) return false;
        t = ct;
    }
    return true;
}

TEST(TextOutOpaque, PaintsExactlyTheCell) {
    TextCanvas c(140, 40);
    c.use_font(make_font(-12));
    SetBkColor(c.dc(), RGB(0, 200, 0));
    SetTextColor(c.dc(), RGB(0, 0, 255));
    const std::string s = "Hello, World";
    ASSERT_TRUE(c.text(9, 7, s));
    const SIZE sz = c.extent(s);
    ASSERT_EQ(sz.cy, c.metrics().tmHeight);
    int text_pixels = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const uint32_t p = c.at(x, y);
            if (!in_rect(x, y, 9, 7, 9 + sz.cx, 7 + sz.cy)) {
                ASSERT_EQ(p, kGrey) << x << "," << y;
            } else {
                ASSERT_TRUE(is_blend(p, 0x00C800, 0x0000FF)) << std::hex << p << " at " << std::dec << x << "," << y;
                text_pixels += p == 0x0000FF;
            }
        }
    EXPECT_GT(text_pixels, 0);
    EXPECT_GT(c.count(0x00C800), sz.cx * sz.cy / 2);  // mostly background
}

TEST(TextOutTransparent, ChangesOnlyGlyphBoxesInsideTheCell) {
    TextCanvas c(160, 40);
    HFONT font = make_font(-14);
    c.use_font(font);
    SetBkMode(c.dc(), TRANSPARENT);
    SetTextColor(c.dc(), RGB(255, 0, 0));
    const std::string s = "Wjg|y,Q\xC9";
    const int x0 = 11, y0 = 6;
    ASSERT_TRUE(c.text(x0, y0, s));

    // Where each glyph's ink may go, from the font cache's own boxes.
    standin::FontInstance *fi = standin::font_instance(standin::gdi_font(font));
    const TEXTMETRICA tm = c.metrics();
    struct Box {
        int64_t l, t, r, b;
    };
    std::vector<Box> boxes;
    int64_t pen = x0;
    for (char ch : s) {
        const auto b = static_cast<uint8_t>(ch);
        const standin::GlyphBox &g = standin::glyph_box(fi, b);
        const int64_t gx = pen + g.left, gy = y0 + tm.tmAscent - g.top;
        boxes.push_back({gx, gy, gx + g.width, gy + g.rows});
        pen += standin::glyph_advance(fi, b);
    }
    int full = 0, partial = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const uint32_t p = c.at(x, y);
            if (p == kGrey) continue;
            const bool in_glyph =
                std::any_of(boxes.begin(), boxes.end(), [&](const Box &b) { return in_rect(x, y, b.l, b.t, b.r, b.b); });
            ASSERT_TRUE(in_glyph) << x << "," << y;
            ASSERT_TRUE(in_rect(x, y, x0 - 2, y0, pen + 2, y0 + tm.tmHeight)) << x << "," << y;
            ASSERT_TRUE(is_blend(p, kGrey, 0xFF0000)) << std::hex << p;
            (p == 0xFF0000 ? full : partial)++;
        }
    EXPECT_GT(full, 0);
    EXPECT_GT(partial, 0);  // antialiased edges on a colour surface
}

// Text on a plain background and text on a striped one blend each pixel
// alike: every column of the striped picture is the column of the plain
// picture in that column's colour, for each ink and paper, with text drawn
// over itself and cut by the edges.
TEST(TextOutTransparent, EachPixelBlendsAsOnAPlainBackground) {
    constexpr int kW = 140, kH = 30;
    const uint32_t papers[2] = {0x0000FF, 0x20A040};
    const COLORREF inks[2] = {RGB(255, 255, 255), RGB(250, 10, 90)};
    const std::string s = "Lives: 3 Wjg";
    const auto draw = [&](TextCanvas &c, COLORREF ink) {
        c.use_font(make_font(-16));
        SetBkMode(c.dc(), TRANSPARENT);
        SetTextColor(c.dc(), ink);
        ASSERT_TRUE(c.text(5, 2, s));
        ASSERT_TRUE(c.text(5, 2, s));
        ASSERT_TRUE(c.text(-3, 17, s));
    };
    for (const COLORREF ink : inks) {
        std::vector<uint32_t> plain[2];
        for (int k = 0; k < 2; ++k) {
            TextCanvas c(kW, kH, 32, papers[k]);
            draw(c, ink);
            plain[k] = c.pixels();
        }
        TextCanvas striped(kW, kH);
        std::span<uint32_t> px = striped.for_writing();
        for (size_t i = 0; i < px.size(); ++i) px[i] = papers[i % kW % 2];
        draw(striped, ink);
        int inked = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const size_t i = static_cast<size_t>(y) * kW + x;
                ASSERT_EQ(striped.at(x, y), plain[x % 2][i]) << x << "," << y;
                inked += plain[x % 2][i] != papers[x % 2];
            }
        EXPECT_GT(inked, 100);
    }
}

TEST(TextOutMono, OnlyBlackAndWhiteAppear) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateCompatibleBitmap(dc, 120, 24);  // a fresh memory DC is monochrome
    HGDIOBJ prev_bm = SelectObject(dc, bm);
    standin::Bitmap *bits = standin::gdi_bitmap(bm);
    ASSERT_EQ(bits->bpp, 1);
    HGDIOBJ prev_font = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);

    struct Case {
        COLORREF text, back;
        uint32_t ink, paper;
    };
    const Case cases[] = {
        {RGB(0, 0, 0), RGB(255, 255, 255), 0x000000, 0xFFFFFF},       // the text window's defaults
        {RGB(90, 90, 90), RGB(200, 200, 200), 0x000000, 0xFFFFFF},    // greys snap to the nearer one
        {RGB(230, 230, 230), RGB(10, 10, 10), 0xFFFFFF, 0x000000},    // inverted
    };
    for (const Case &k : cases) {
        // Start from the colour the background is not, so a fill outside the cell shows.
        const uint32_t before = k.paper ^ 0xFFFFFFu;
        std::ranges::fill(bits->pixels.for_writing(), before);
        SetTextColor(dc, k.text);
        SetBkColor(dc, k.back);
        const std::string s = "Line 7: ok";
        ASSERT_TRUE(TextOutA(dc, 5, 4, s.data(), static_cast<int>(s.size())));
        SIZE sz{};
        GetTextExtentPointA(dc, s.data(), static_cast<int>(s.size()), &sz);
        int ink = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 120; ++x) {
                const uint32_t p = bits->pixels[static_cast<size_t>(y) * 120 + x];
                ASSERT_TRUE(p == 0 || p == 0xFFFFFF) << std::hex << p;
                if (in_rect(x, y, 5, 4, 5 + sz.cx, 4 + tm.tmHeight)) ink += p == k.ink;
                else ASSERT_EQ(p, before) << "outside the cell at " << x << "," << y;
            }
        EXPECT_GT(ink, 10);
    }

    // Transparent: the ink alone, within the cell's rows and near its columns.
    std::ranges::fill(bits->pixels.for_writing(), 0x00FFFFFFu);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    const std::string s = "gjy_|W";
    ASSERT_TRUE(TextOutA(dc, 20, 6, s.data(), static_cast<int>(s.size())));
    SIZE sz{};
    GetTextExtentPointA(dc, s.data(), static_cast<int>(s.size()), &sz);
    int ink = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 120; ++x) {
            if (bits->pixels[static_cast<size_t>(y) * 120 + x] == 0xFFFFFF) continue;
            ++ink;
            ASSERT_TRUE(in_rect(x, y, 20 - 2, 6, 20 + sz.cx + 2, 6 + tm.tmHeight)) << x << "," << y;
        }
    EXPECT_GT(ink, 10);
    SelectObject(dc, prev_font);
    SelectObject(dc, prev_bm);
    DeleteObject(bm);
    DeleteDC(dc);
}

TEST(TextOutMono, ThresholdKeepsTheInkArea) {
    // Half-coverage thresholding keeps about as many pixels as the
    // antialiased glyphs cover in total; a lower or higher threshold would
    // embolden or erode the text.
    const std::string s = "The quick brown fox jumps over the lazy dog 0123456789 WMmwgj";
    for (int size : {10, 13, 24}) {
        SCOPED_TRACE(size);
        TextCanvas colour(700, 40, 32, 0xFFFFFF), mono(700, 40, 1, 0xFFFFFF);
        double covered = 0;
        for (TextCanvas *c : {&colour, &mono}) {
            c->use_font(make_font(-size));
            SetBkMode(c->dc(), TRANSPARENT);
            ASSERT_TRUE(c->text(4, 4, s));
        }
        for (uint32_t p : colour.pixels()) covered += (255 - (p & 0xFF)) / 255.0;
        const int ink = mono.count(0);
        EXPECT_GT(ink, 0.75 * covered);
        EXPECT_LT(ink, 1.25 * covered);
    }
}

TEST(TextOutClip, EdgesCutTheSameTextAsALargerSurface) {
    const std::string s = "Clip me gently";
    const int pad_x = 100, pad_y = 80;
    const POINT spots[] = {{-30, 10}, {60, -8}, {70, 30}, {-15, -10}, {95, 35}, {3, 3}};
    for (int mode : {OPAQUE, TRANSPARENT}) {
        for (POINT at : spots) {
            SCOPED_TRACE(std::to_string(at.x) + "," + std::to_string(at.y) + " mode " + std::to_string(mode));
            TextCanvas small(100, 40), big(300, 200);
            small.use_font(make_font(-16));
            big.use_font(make_font(-16));
            for (const TextCanvas *c : {&small, &big}) {
                SetBkMode(c->dc(), mode);
                SetBkColor(c->dc(), RGB(255, 255, 0));
                SetTextColor(c->dc(), RGB(0, 0, 128));
            }
            ASSERT_TRUE(small.text(at.x, at.y, s));
            ASSERT_TRUE(big.text(at.x + pad_x, at.y + pad_y, s));
            for (int y = 0; y < small.height(); ++y)
                for (int x = 0; x < small.width(); ++x)
                    ASSERT_EQ(small.at(x, y), big.at(x + pad_x, y + pad_y)) << x << "," << y;
        }
    }
}

TEST(TextOutClip, WhollyOutsideOrExtremePositionsChangeNothing) {
    TextCanvas c(64, 32);
    c.use_font(make_font(-12));
    SetBkColor(c.dc(), RGB(255, 255, 255));
    const POINT spots[] = {{-1000, 10}, {200, 10},           {10, -100},         {10, 100},
                           {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MAX, 0}, {INT_MIN, 0},
                           {0, INT_MIN},       {0, INT_MAX},       {INT_MIN, INT_MAX}};
    for (POINT at : spots) {
        ASSERT_TRUE(c.text(at.x, at.y, "Outside\n\xFF"));
        ASSERT_EQ(c.count(kGrey), 64 * 32) << at.x << "," << at.y;
    }
}

TEST(TextOutClip, LongStringShowsOnlyItsVisibleTail) {
    // Drawn to end at the same point, a very long string shows what a short
    // one does; the invisible part costs no rendering.
    const std::string long_text(200000, 'x'), short_text(30, 'x');
    TextCanvas a(100, 30), b(100, 30);
    a.use_font(make_font(-12));
    b.use_font(make_font(-12));
    ASSERT_TRUE(a.text(90 - a.extent(long_text).cx, 5, long_text));
    ASSERT_TRUE(b.text(90 - b.extent(short_text).cx, 5, short_text));
    EXPECT_EQ(a.pixels(), b.pixels());
}

TEST(TextOutHeight, AbsurdHeightsDrawAClampedFont) {
    for (int h : {INT_MIN, INT_MAX}) {
        SCOPED_TRACE(h);
        TextCanvas c(64, 64);
        c.use_font(make_font(h));
        SetBkColor(c.dc(), RGB(255, 255, 255));
        const TEXTMETRICA tm = c.metrics();
        EXPECT_LE(tm.tmHeight, 2500);
        ASSERT_TRUE(c.text(0, 0, "Wg"));
        EXPECT_EQ(c.count(kGrey), 0);  // the cell covers the whole surface
        ASSERT_TRUE(c.text(-700, -900, "Wg\n"));
        ASSERT_TRUE(c.text(INT_MIN, INT_MAX, "Wg"));
    }
}

TEST(TextOutBytes, EveryVisibleByteDrawsInk) {
    TextCanvas probe(1, 1);
    probe.use_font(make_font(-16));
    for (int b = 1; b < 256; ++b) {
        // Space and no-break space are blank by design.
        if (b == ' ' || b == 0xA0) continue;
        SCOPED_TRACE(b);
        TextCanvas c(40, 30);
        c.use_font(make_font(-16));
        SetBkMode(c.dc(), TRANSPARENT);
        const char ch = static_cast<char>(b);
        ASSERT_TRUE(TextOutA(c.dc(), 8, 4, &ch, 1));
        EXPECT_LT(c.count(kGrey), 40 * 30);
    }
}

// The pixels of one byte drawn alone, for comparing glyphs with each other.
std::vector<uint32_t> render_byte(uint8_t b) {
    TextCanvas c(48, 32);
    c.use_font(make_font(-18));
    SetBkMode(c.dc(), TRANSPARENT);
    const char ch = static_cast<char>(b);
    TextOutA(c.dc(), 8, 4, &ch, 1);
    return c.pixels();
}

TEST(TextOutBytes, UpperHalfIsWindows1252) {
    // The five positions 1252 leaves undefined show the default glyph, like
    // control bytes; every defined character looks different from it.
    const std::vector<uint32_t> fallback = render_byte(0x7F);
    EXPECT_EQ(render_byte('\n'), fallback);
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(render_byte(static_cast<uint8_t>(b)), fallback) << b;
    for (int b = 0x80; b < 0x100; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D || b == 0xA0) continue;
        EXPECT_NE(render_byte(static_cast<uint8_t>(b)), fallback) << "byte " << b;
    }
    // A few that a Latin-1 reading would get wrong: the euro sign and curly
    // quotes are not control characters, and they differ from each other.
    EXPECT_NE(render_byte(0x80), render_byte(0x93));
    EXPECT_NE(render_byte(0x93), render_byte(0x94));
}

TEST(TextOutBytes, NewlineIsAGlyphNotALineBreak) {
    TextCanvas c(120, 50);
    c.use_font(make_font(-14));
    SetBkMode(c.dc(), TRANSPARENT);
    ASSERT_TRUE(c.text(4, 4, "a\nb"));
    const TEXTMETRICA tm = c.metrics();
    const LONG a = c.extent("a").cx, nl = c.extent("\n").cx;
    int ink_in_newline = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            if (c.at(x, y) == kGrey) continue;
            ASSERT_LT(y, 4 + tm.tmHeight) << "ink below the first line";
            ink_in_newline += in_rect(x, y, 4 + a, 4, 4 + a + nl, 4 + tm.tmHeight);
        }
    EXPECT_GT(ink_in_newline, 0);
}

TEST(TextOutArgs, EmptyAndInvalidCalls) {
    TextCanvas c(20, 20);
    EXPECT_TRUE(TextOutA(c.dc(), 0, 0, "abc", 0));
    EXPECT_TRUE(TextOutA(c.dc(), 0, 0, nullptr, 0));
    EXPECT_EQ(c.count(kGrey), 400);  // nothing drawn, not even the background
    EXPECT_FALSE(TextOutA(c.dc(), 0, 0, "abc", -1));
    EXPECT_FALSE(TextOutA(c.dc(), 0, 0, nullptr, 3));
    EXPECT_FALSE(TextOutA(nullptr, 0, 0, "abc", 3));
    EXPECT_EQ(c.count(kGrey), 400);
    // Without a selected font of its own the DC draws with the system font.
    EXPECT_TRUE(TextOutA(c.dc(), 0, 0, "abc", 3));
    EXPECT_LT(c.count(kGrey), 400);
}

TEST(TextOutCache, GlyphsDrawAlikeAfterTheCacheIsTrimmed) {
    // Large glyphs at many sizes overflow the glyph cache, which then drops
    // its bitmaps; text drawn before and after must be identical.
    auto draw = [](TextCanvas &c) {
        c.use_font(make_font(-12));
        SetTextColor(c.dc(), RGB(0, 90, 0));
        ASSERT_TRUE(c.text(3, 3, "Cached glyphs: Hello\n\xE9"));
    };
    TextCanvas before(160, 24), after(160, 24);
    draw(before);
    std::string all;
    for (int b = 0x21; b < 0x100; ++b) all += static_cast<char>(b);
    for (int size = 118; size <= 127; ++size) {
        TextCanvas big(200, 200);
        big.use_font(make_font(-size));
        ASSERT_TRUE(big.text(-20, -10, all));
        HDC mono_dc = CreateCompatibleDC(nullptr);
        HBITMAP mono = CreateCompatibleBitmap(mono_dc, 200, 200);
        HGDIOBJ prev_bm = SelectObject(mono_dc, mono);
        HFONT f = make_font(-size);
        HGDIOBJ prev_font = SelectObject(mono_dc, f);
        ASSERT_TRUE(TextOutA(mono_dc, -20, -10, all.data(), static_cast<int>(all.size())));
        SelectObject(mono_dc, prev_font);
        DeleteObject(f);
        SelectObject(mono_dc, prev_bm);
        DeleteObject(mono);
        DeleteDC(mono_dc);
    }
    draw(after);
    EXPECT_EQ(before.pixels(), after.pixels());
}

// Text blends over the fills recorded before it and lies under those after
// it, as if every fill had been written at once (the second canvas reads its
// pixels after each call, which writes them out).
TEST(TextOut, LiesOverTheFillsBeforeItAndUnderTheFillsAfter) {
    TextCanvas deferred(60, 24), immediate(60, 24);
    for (TextCanvas *c : {&deferred, &immediate}) {
        auto fill = [&](int l, int t, int r, int b, COLORREF colour) {
            HBRUSH brush = CreateSolidBrush(colour);
            const RECT rc{l, t, r, b};
            FillRect(c->dc(), &rc, brush);
            DeleteObject(brush);
            if (c == &immediate) c->pixels();
        };
        c->use_font(make_font(-14));
        SetBkMode(c->dc(), TRANSPARENT);
        SetTextColor(c->dc(), RGB(255, 255, 255));
        fill(0, 0, 40, 24, RGB(200, 0, 0));
        ASSERT_TRUE(c->text(2, 2, "Fill"));
        if (c == &immediate) c->pixels();
        fill(20, 0, 60, 12, RGB(0, 0, 200));
    }
    EXPECT_EQ(deferred.pixels(), immediate.pixels());
    EXPECT_GT(deferred.count(0x00FFFFFF), 0);                 // the text shows on the red fill
    EXPECT_EQ(deferred.at(25, 5), 0x000000C8u);             // and the later fill covers it
}

// A fake window surface, to see what TextOutA reports as changed.
struct FakeWindow {
    static inline std::vector<uint32_t> pixels;
    static inline int64_t l, t, r, b;
    static inline int calls;
    static bool surface(HWND, standin::Target *t) {
        t->pixels = pixels.data();
        t->width = 80;
        t->height = 30;
        t->stride = 80;
        t->cr = 80;
        t->cb = 30;
        return true;
    }
    static void touched(HWND, int64_t l2, int64_t t2, int64_t r2, int64_t b2) {
        l = l2, t = t2, r = r2, b = b2;
        ++calls;
    }
};

TEST(TextOutWindow, ReportsTheChangedRectangleOnce) {
    FakeWindow::pixels.assign(80 * 30, kGrey);
    FakeWindow::calls = 0;
    standin::set_window_surface_hooks({&FakeWindow::surface, &FakeWindow::touched});
    standin::Dc *dc = standin::gdi_new_window_dc(reinterpret_cast<HWND>(&FakeWindow::pixels));
    HDC hdc = static_cast<HDC>(static_cast<HGDIOBJ>(dc));
    SetBkMode(hdc, TRANSPARENT);
    ASSERT_TRUE(TextOutA(hdc, 50, 8, "Window text", 11));  // runs past the right edge
    EXPECT_EQ(FakeWindow::calls, 1);
    bool any = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            if (FakeWindow::pixels[static_cast<size_t>(y) * 80 + x] != kGrey) {
                any = true;
                EXPECT_TRUE(in_rect(x, y, FakeWindow::l, FakeWindow::t, FakeWindow::r, FakeWindow::b)) << x << "," << y;
            }
    EXPECT_TRUE(any);
    EXPECT_LE(FakeWindow::r, 80);
    standin::gdi_delete_dc(dc);
    standin::set_window_surface_hooks({});
}

}  // namespace
