// Word-wrapping for the controls: one pass over the bytes per layout, using
// a table of advances (control_text_layout.h).
#include "dialog/control_text_layout.h"

namespace standin {

namespace {

bool is_space(unsigned char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<TextLine> layout_lines(const char *text, size_t n, const Advances &adv, int width, bool wrap) {
    std::vector<TextLine> lines;
    size_t pos = 0;
    for (;;) {
        const size_t start = pos;
        size_t i = pos;
        long long x = 0;
        size_t last_break = std::string::npos;  // just after the last space of the line
        for (;;) {
            if (i >= n) {
                lines.push_back(TextLine{start, n, n});
                return lines;
            }
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == '\n') {
                const size_t end = (i > start && text[i - 1] == '\r') ? i - 1 : i;
                lines.push_back(TextLine{start, end, i + 1});
                pos = i + 1;
                break;
            }
            if (is_space(c)) {
                // Spaces may hang past the edge: a line is never broken before one.
                x += adv[c];
                last_break = ++i;
                continue;
            }
            if (wrap && adv[c] > 0 && x + adv[c] > width) {
                size_t cut = i + 1;  // a lone glyph wider than the line still takes it
                if (last_break != std::string::npos) cut = last_break;
                else if (i > start) cut = i;
                lines.push_back(TextLine{start, cut, cut});
                if (cut >= n) return lines;  // a soft break at the very end adds no line
                pos = cut;
                break;
            }
            x += adv[c];
            ++i;
        }
    }
}

long long text_span_width(const char *text, size_t start, size_t end, const Advances &adv) {
    long long w = 0;
    for (size_t i = start; i < end; ++i) w += adv[static_cast<unsigned char>(text[i])];
    return w;
}

}  // namespace standin
