// Line layout of the controls on a made-up font (letters 10 px, space 5 px),
// where every break can be worked out by hand: word breaks, hanging spaces,
// hard breaks, words longer than the line, degenerate widths; and the '&'
// mnemonic prefixes of labels.
#include "dialog/control_text_layout.h"
#include "user/mnemonic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using standin::Advances;
using standin::layout_lines;

namespace {

std::string strip_prefix(const std::string &label, size_t *underline) {
    const standin::MnemonicText t = standin::strip_mnemonic(label);
    *underline = t.underline;
    return t.text;
}

Advances toy_font() {
    Advances a{};
    a.fill(10);
    a[' '] = 5;
    a['\t'] = 20;
    a['\r'] = 0;
    a['\n'] = 0;
    return a;
}

// The lines as shown (start..end) and the position where each next one starts.
std::vector<std::string> shown(const std::string &text, int width, bool wrap = true) {
    std::vector<std::string> out;
    for (const auto &l : layout_lines(text.data(), text.size(), toy_font(), width, wrap))
        out.push_back(text.substr(l.start, l.end - l.start));
    return out;
}

using Lines = std::vector<std::string>;

TEST(TextLayout, BreaksAfterTheLastSpaceThatFits) {
    // "aaa " is 35 px; "aaa bbb" would be 65 px.
    EXPECT_EQ(shown("aaa bbb ccc", 50), (Lines{"aaa ", "bbb ", "ccc"}));
    EXPECT_EQ(shown("aaa bbb ccc", 65), (Lines{"aaa bbb ", "ccc"}));
    EXPECT_EQ(shown("aaa bbb ccc", 200), (Lines{"aaa bbb ccc"}));
}

TEST(TextLayout, SpacesHangPastTheEdgeInsteadOfStartingALine) {
    EXPECT_EQ(shown("aaaa      bb", 40), (Lines{"aaaa      ", "bb"}));
}

TEST(TextLayout, AWordWiderThanTheLineIsCutWhereItStopsFitting) {
    EXPECT_EQ(shown("abcdefghij", 35), (Lines{"abc", "def", "ghi", "j"}));
    EXPECT_EQ(shown("xy abcdefghij", 35), (Lines{"xy ", "abc", "def", "ghi", "j"}));
}

TEST(TextLayout, HardBreaksEndLinesAndHideTheirCarriageReturn) {
    const std::string text = "ab\r\ncd\nef\r\n";
    const auto ls = layout_lines(text.data(), text.size(), toy_font(), 100, true);
    ASSERT_EQ(ls.size(), 4u);
    EXPECT_EQ(ls[0].start, 0u);
    EXPECT_EQ(ls[0].end, 2u);
    EXPECT_EQ(ls[0].next, 4u);
    EXPECT_EQ(ls[1].end, 6u);
    EXPECT_EQ(ls[1].next, 7u);
    EXPECT_EQ(ls[2].end, 9u);
    // A final break leaves an empty last line, where the caret can go.
    EXPECT_EQ(ls[3].start, text.size());
    EXPECT_EQ(ls[3].end, text.size());
}

TEST(TextLayout, EmptyTextHasOneEmptyLineAndNoWrapKeepsLinesWhole) {
    EXPECT_EQ(shown("", 10), (Lines{""}));
    EXPECT_EQ(shown("aaa bbb ccc", 20, false), (Lines{"aaa bbb ccc"}));
    EXPECT_EQ(shown("aa\r\nbb", 5, false), (Lines{"aa", "bb"}));
}

TEST(TextLayout, EveryLineTakesAtLeastOneByteHoweverNarrow) {
    EXPECT_EQ(shown("abc", 0), (Lines{"a", "b", "c"}));
    EXPECT_EQ(shown("abc", -5), (Lines{"a", "b", "c"}));
    const std::string big(5000, 'x');
    EXPECT_EQ(layout_lines(big.data(), big.size(), toy_font(), 1, true).size(), 5000u);
}

TEST(TextLayout, WidthOfASpan) {
    const std::string t = "a b\t";
    EXPECT_EQ(standin::text_span_width(t.data(), 0, t.size(), toy_font()), 10 + 5 + 10 + 20);
    EXPECT_EQ(standin::text_span_width(t.data(), 1, 1, toy_font()), 0);
}

TEST(MnemonicPrefix, SingleAmpersandUnderlinesDoubleShowsOne) {
    size_t u = 0;
    EXPECT_EQ(strip_prefix("&Okay", &u), "Okay");
    EXPECT_EQ(u, 0u);
    EXPECT_EQ(strip_prefix("Save &As", &u), "Save As");
    EXPECT_EQ(u, 5u);
    EXPECT_EQ(strip_prefix("Tom && Jerry", &u), "Tom & Jerry");
    EXPECT_EQ(u, std::string::npos);
    EXPECT_EQ(strip_prefix("&a&b", &u), "ab");  // only the first one underlines
    EXPECT_EQ(u, 0u);
    EXPECT_EQ(strip_prefix("end&", &u), "end");
    EXPECT_EQ(u, std::string::npos);
}

}  // namespace
