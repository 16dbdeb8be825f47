// Font mapping and measurement of the GDI stand-in: CreateFontA heights,
// face fallback, stock fonts, GetTextMetricsA and GetTextExtentPoint(32)A.
// Checked through metrics only: glyph shapes depend on the installed fonts.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "text/font_face.h"
#include "gdi/gdi_objects.h"

namespace {

HFONT make_font(int height, const char *face = "TELKA-font", int weight = FW_NORMAL, DWORD pitch_family = 0) {
    return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, pitch_family, face);
}

// A memory DC with a font selected for the test's lifetime; the font is
// deleted afterwards, as the library does per call.
class WithFont {
public:
    explicit WithFont(HGDIOBJ font, bool owned = true) : owned_(owned ? font : nullptr) {
        dc_ = CreateCompatibleDC(nullptr);
        prev_ = SelectObject(dc_, font);
    }
    ~WithFont() {
        SelectObject(dc_, prev_);
        if (owned_) {
            EXPECT_TRUE(DeleteObject(owned_));
        }
        DeleteDC(dc_);
    }
    WithFont(const WithFont &) = delete;
    WithFont &operator=(const WithFont &) = delete;

    HDC dc() const { return dc_; }
    TEXTMETRICA metrics() const {
        TEXTMETRICA tm{};
        EXPECT_TRUE(GetTextMetricsA(dc_, &tm));
        return tm;
    }
    SIZE extent(const std::string &s) const {
        SIZE sz{-1, -1};
        EXPECT_TRUE(GetTextExtentPointA(dc_, s.data(), static_cast<int>(s.size()), &sz));
        return sz;
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ prev_ = nullptr;
    HGDIOBJ owned_ = nullptr;
};

const std::string kSample = "The quick brown fox jumps over the lazy dog 0123456789";

void expect_same_metrics(const TEXTMETRICA &a, const TEXTMETRICA &b) {
    EXPECT_EQ(a.tmHeight, b.tmHeight);
    EXPECT_EQ(a.tmAscent, b.tmAscent);
    EXPECT_EQ(a.tmDescent, b.tmDescent);
    EXPECT_EQ(a.tmInternalLeading, b.tmInternalLeading);
    EXPECT_EQ(a.tmExternalLeading, b.tmExternalLeading);
    EXPECT_EQ(a.tmAveCharWidth, b.tmAveCharWidth);
    EXPECT_EQ(a.tmMaxCharWidth, b.tmMaxCharWidth);
    EXPECT_EQ(a.tmWeight, b.tmWeight);
    EXPECT_EQ(a.tmPitchAndFamily, b.tmPitchAndFamily);
}

bool all_printable_advances_equal(const WithFont &f) {
    const LONG first = f.extent(" ").cx;
    for (int c = 0x21; c < 0x7F; ++c)
        if (f.extent(std::string(1, static_cast<char>(c))).cx != first) return false;
    return first > 0;
}

TEST(FontHeight, NegativeAsksForEmHeight) {
    for (int h : {6, 8, 12, 16, 24, 48, 127}) {
        SCOPED_TRACE(h);
        WithFont f(make_font(-h));
        const TEXTMETRICA tm = f.metrics();
        EXPECT_GT(tm.tmHeight, h);  // the cell adds internal leading to the em
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - h);
        EXPECT_GE(tm.tmExternalLeading, 0);
        EXPECT_EQ(f.extent("Ag").cy, tm.tmHeight);
        EXPECT_EQ(tm.tmAveCharWidth, f.extent("x").cx);
    }
}

TEST(FontHeight, PositiveMatchesCellHeight) {
    for (int h : {8, 10, 13, 16, 20, 33, 64, 200}) {
        SCOPED_TRACE(h);
        WithFont f(make_font(h));
        const TEXTMETRICA tm = f.metrics();
        EXPECT_LE(tm.tmHeight, h);  // never taller than asked
        EXPECT_GE(tm.tmHeight, h - 1);
        EXPECT_EQ(f.extent("x").cy, tm.tmHeight);
    }
}

TEST(FontHeight, ZeroGivesTheDefaultSixteenPixelCell) {
    WithFont zero(make_font(0));
    WithFont sixteen(make_font(16));
    expect_same_metrics(zero.metrics(), sixteen.metrics());
    EXPECT_EQ(zero.metrics().tmHeight, 16);
}

TEST(FontHeight, GrowsWithTheRequest) {
    LONG prev_height = 0, prev_width = 0;
    for (int h = 4; h <= 127; ++h) {
        WithFont f(make_font(-h));
        const LONG height = f.metrics().tmHeight;
        const LONG width = f.extent(kSample).cx;
        EXPECT_GE(height, prev_height) << h;
        EXPECT_GE(width, prev_width) << h;
        prev_height = height;
        prev_width = width;
    }
}

TEST(FontHeight, AbsurdHeightsAreClamped) {
    WithFont largest(make_font(-2048));
    const TEXTMETRICA cap = largest.metrics();
    for (int h : {INT_MIN, -100000, -2049}) {
        WithFont f(make_font(h));
        expect_same_metrics(f.metrics(), cap);
    }
    for (int h : {INT_MAX, 100000}) {
        WithFont f(make_font(h));
        EXPECT_LE(f.metrics().tmHeight, 2048);
        EXPECT_GE(f.metrics().tmHeight, 2047);
        EXPECT_GT(f.extent("W").cx, 0);
    }
}

TEST(FontFallback, UnknownFaceIsTheDefaultSans) {
    for (int h : {-12, -24, 16}) {
        SCOPED_TRACE(h);
        WithFont unknown(make_font(h, "TELKA-font"));
        WithFont sans(make_font(h, "DejaVu Sans"));
        WithFont nameless(make_font(h, ""));
        expect_same_metrics(unknown.metrics(), sans.metrics());
        expect_same_metrics(nameless.metrics(), sans.metrics());
        EXPECT_EQ(unknown.extent(kSample).cx, sans.extent(kSample).cx);
        EXPECT_TRUE(unknown.metrics().tmPitchAndFamily & 0x01);  // set means variable pitch
        EXPECT_FALSE(all_printable_advances_equal(unknown));
    }
}

TEST(FontFallback, FixedPitchOrModernRequestsGetMonospace) {
    WithFont mono(make_font(-14, "DejaVu Sans Mono"));
    for (DWORD pf : {DWORD{FIXED_PITCH}, DWORD{FF_MODERN}, DWORD{FIXED_PITCH | FF_MODERN}}) {
        SCOPED_TRACE(pf);
        WithFont f(make_font(-14, "Courier", FW_NORMAL, pf));
        EXPECT_TRUE(all_printable_advances_equal(f));
        EXPECT_EQ(f.metrics().tmPitchAndFamily & 0x01, 0);
        expect_same_metrics(f.metrics(), mono.metrics());
    }
}

TEST(FontFallback, HeavyWeightsAreBold) {
    WithFont normal(make_font(-16, "TELKA-font", FW_NORMAL));
    WithFont dontcare(make_font(-16, "TELKA-font", FW_DONTCARE));
    WithFont semibold(make_font(-16, "TELKA-font", 600));
    WithFont bold(make_font(-16, "TELKA-font", FW_BOLD));
    EXPECT_LT(normal.metrics().tmWeight, 600);
    EXPECT_EQ(dontcare.metrics().tmWeight, normal.metrics().tmWeight);
    EXPECT_GE(semibold.metrics().tmWeight, 600);
    EXPECT_GE(bold.metrics().tmWeight, 600);
    EXPECT_GT(bold.extent(kSample).cx, normal.extent(kSample).cx);  // bold strokes are wider
    expect_same_metrics(semibold.metrics(), bold.metrics());
}

TEST(StockFonts, SystemFontIsSixteenPixelBoldProportional) {
    WithFont f(GetStockObject(SYSTEM_FONT), false);
    const TEXTMETRICA tm = f.metrics();
    EXPECT_EQ(tm.tmHeight, 16);
    EXPECT_GE(tm.tmWeight, 700);
    EXPECT_TRUE(tm.tmPitchAndFamily & 0x01);
    EXPECT_LT(f.extent("i").cx, f.extent("W").cx);
}

TEST(StockFonts, AnsiFixedFontIsMonospace) {
    WithFont f(GetStockObject(ANSI_FIXED_FONT), false);
    const TEXTMETRICA tm = f.metrics();
    EXPECT_GE(tm.tmHeight, 12);
    EXPECT_LE(tm.tmHeight, 14);
    EXPECT_EQ(tm.tmPitchAndFamily & 0x01, 0);
    EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_MODERN);
    EXPECT_TRUE(all_printable_advances_equal(f));
    EXPECT_EQ(tm.tmAveCharWidth, f.extent("M").cx);
    EXPECT_EQ(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    // The text window's line height must be usable as a scroll step.
    EXPECT_GT(tm.tmHeight + tm.tmExternalLeading, 0);
}

TEST(TextExtent, AddsUpWithoutKerning) {
    WithFont f(make_font(-12));
    for (const char *pair : {"ab", "AV", "To", "Wa", "ff", "x\n", "\n\n"}) {
        SCOPED_TRACE(pair);
        const std::string s(pair);
        EXPECT_EQ(f.extent(s).cx, f.extent(s.substr(0, 1)).cx + f.extent(s.substr(1)).cx);
    }
    LONG sum = 0;
    for (char c : kSample) sum += f.extent(std::string(1, c)).cx;
    EXPECT_EQ(f.extent(kSample).cx, sum);
}

TEST(TextExtent, EveryByteHasAnAdvance) {
    WithFont f(make_font(-12));
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        SIZE sz{};
        ASSERT_TRUE(GetTextExtentPoint32A(f.dc(), &c, 1, &sz));
        EXPECT_GT(sz.cx, 0) << "byte " << b;
        EXPECT_EQ(sz.cy, f.metrics().tmHeight);
    }
    // A newline is measured like a character: no extra line, no extra height.
    const SIZE two_lines = f.extent("ab\ncd");
    EXPECT_EQ(two_lines.cy, f.metrics().tmHeight);
    EXPECT_EQ(two_lines.cx, f.extent("abcd").cx + f.extent("\n").cx);
}

TEST(TextExtent, EmptyStringHasCellHeightAndNoWidth) {
    WithFont f(make_font(-20));
    SIZE sz{-1, -1};
    ASSERT_TRUE(GetTextExtentPointA(f.dc(), "abc", 0, &sz));
    EXPECT_EQ(sz.cx, 0);
    EXPECT_EQ(sz.cy, f.metrics().tmHeight);
}

TEST(TextExtent, BadArgumentsFail) {
    WithFont f(make_font(-12));
    SIZE sz{};
    TEXTMETRICA tm{};
    EXPECT_FALSE(GetTextExtentPointA(f.dc(), "abc", -1, &sz));
    EXPECT_FALSE(GetTextExtentPointA(f.dc(), nullptr, 3, &sz));
    EXPECT_FALSE(GetTextExtentPointA(f.dc(), "abc", 3, nullptr));
    EXPECT_FALSE(GetTextExtentPoint32A(nullptr, "abc", 3, &sz));
    EXPECT_FALSE(GetTextMetricsA(nullptr, &tm));
    EXPECT_FALSE(GetTextMetricsA(f.dc(), nullptr));
    HDC gone = CreateCompatibleDC(nullptr);
    DeleteDC(gone);
    EXPECT_FALSE(GetTextExtentPointA(gone, "abc", 3, &sz));
}

TEST(FontCache, FontsCreatedPerCallMeasureAlike) {
    // The library creates, uses and deletes the same font on every call; later
    // fonts reuse the cached size and must answer exactly as the first did.
    SIZE first{};
    TEXTMETRICA first_tm{};
    {
        WithFont f(make_font(-13));
        first = f.extent(kSample);
        first_tm = f.metrics();
    }
    for (int i = 0; i < 200; ++i) {
        WithFont f(make_font(-13));
        const SIZE again = f.extent(kSample);
        ASSERT_EQ(again.cx, first.cx);
        ASSERT_EQ(again.cy, first.cy);
    }
    // Deleting one font must not disturb another of the same size.
    const size_t live_before = standin::gdi_live_count();
    HFONT a = make_font(-13), b = make_font(-13);
    {
        WithFont fa(a);
    }
    WithFont fb(b);
    expect_same_metrics(fb.metrics(), first_tm);
    EXPECT_EQ(standin::gdi_live_count(), live_before + 2);  // fb's font and memory DC
}

TEST(FontCache, ManyFaceNamesStayUsable) {
    // Invented names all fall back; the name cache is bounded and then
    // rebuilt, which must not invalidate fonts made before.
    WithFont keep(make_font(-11, "name-0"));
    const LONG width = keep.extent(kSample).cx;
    for (int i = 1; i < static_cast<int>(standin::kMaxCachedRequests) + 100; ++i) {
        HFONT f = make_font(-11, ("name-" + std::to_string(i)).c_str());
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ prev = SelectObject(dc, f);
        SIZE sz{};
        GetTextExtentPointA(dc, "x", 1, &sz);
        SelectObject(dc, prev);
        DeleteObject(f);
        DeleteDC(dc);
    }
    EXPECT_EQ(keep.extent(kSample).cx, width);
}

}  // namespace
