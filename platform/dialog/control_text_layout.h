// Line layout shared by the edit and static controls: breaks text at word
// boundaries to fit a width, given per-byte advances (the stand-in draws
// text without kerning, so a table of advances measures exactly).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace standin {

// Pixel advance of every byte of a font; control characters that the
// controls never draw ('\r', '\n') are 0, a tab counts as four spaces.
using Advances = std::array<int, 256>;

struct TextLine {
    size_t start = 0;  // first byte of the line
    size_t end = 0;    // one past its last shown byte (a hard break's "\r\n" is not shown)
    size_t next = 0;   // where the following line starts
};

// Lines of text[0, n): a '\n' (with a '\r' before it) ends a line; with
// `wrap`, a line that would be wider than `width` is broken after its last
// space, or inside a word that is wider than the line on its own. Spaces at a
// break stay on the line they end. Always at least one line; at least one
// byte per line, however narrow the width.
std::vector<TextLine> layout_lines(const char *text, size_t n, const Advances &adv, int width, bool wrap);

// Width of text[start, end) in pixels.
long long text_span_width(const char *text, size_t start, size_t end, const Advances &adv);

}  // namespace standin
