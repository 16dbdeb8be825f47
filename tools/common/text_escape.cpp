// JSON strings and numbers and HTML text for telka-run's and telka-grade's files.
#include "text_escape.h"

#include <cmath>
#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence at s[i], 0 when there is none.
size_t utf8_length(const std::string &s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((b(i + k) >> 6) != 2) return 0;
    if (n == 2 && c < 0xC2) return 0;                       // overlong
    if (n == 3 && c == 0xE0 && b(i + 1) < 0xA0) return 0;   // overlong
    if (n == 3 && c == 0xED && b(i + 1) >= 0xA0) return 0;  // surrogates
    if (n == 4 && (c > 0xF4 || (c == 0xF0 && b(i + 1) < 0x90) || (c == 0xF4 && b(i + 1) >= 0x90))) return 0;
    return n;
}

}  // namespace

std::string json_string(const std::string &text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const size_t n = utf8_length(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out.append(text, i, n);
        }
        i += n;
    }
    return out + "\"";
}

std::string json_number(double v) {
    if (!std::isfinite(v)) return "0";
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

std::string html_text(const std::string &text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}
