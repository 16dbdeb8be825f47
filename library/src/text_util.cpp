// Text lengths, the empty stand-in for a missing text, and bounded
// formatting, as text_util.h describes them.
#include "text_util.h"

#include <cstdio>
#include <cstring>

#include "telka.h"

int32_t text_length(const char *text) {
    int32_t n = 0;
    while (n < INT32_MAX && text[n] != '\0') ++n;
    return n;
}

const char *text_or_empty(const char *text, const char *operation) {
    if (text != nullptr) return text;
    TELKA_printf("%s: no text given; using an empty text\n", operation);
    return "";
}

namespace {

constexpr int kNotPlain = -2;

// vsnprintf for a format whose only conversions are %s, %d and %% (the
// library's announcements, its texts and most programs' formats), without
// the C library's general machinery: in the browser build that machinery
// costs more than the drawing a logged call announces. Any other conversion
// gives kNotPlain, the arguments partly read.
int format_plain(char *buffer, const char *format, va_list args) {
    char *p = buffer;
    char *const last = buffer + kFormatBufferSize - 1;  // for the NUL
    size_t cut = 0;                                     // characters that did not fit
    const auto put = [&](char c) {
        if (p < last) *p++ = c;
        else ++cut;
    };
    for (const char *f = format; *f != '\0'; ++f) {
        if (*f != '%') {
            put(*f);
            continue;
        }
        switch (*++f) {
            case '%':
                put('%');
                break;
            case 's': {
                const char *s = va_arg(args, const char *);
                if (s == nullptr) s = "(null)";  // as the C libraries print it
                while (*s != '\0') put(*s++);
                break;
            }
            case 'd': {
                const int v = va_arg(args, int);
                char digits[10];
                int n = 0;
                uint32_t u = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
                do {
                    digits[n++] = static_cast<char>('0' + u % 10);
                    u /= 10;
                } while (u != 0);
                if (v < 0) put('-');
                while (n > 0) put(digits[--n]);
                break;
            }
            default:
                return kNotPlain;
        }
    }
    *p = '\0';
    const size_t total = static_cast<size_t>(p - buffer) + cut;
    return total > static_cast<size_t>(INT32_MAX) ? -1 : static_cast<int>(total);
}

}  // namespace

int format_text(char *buffer, const char *format, va_list args) {
    buffer[0] = '\0';
    if (format == nullptr) return 0;
    va_list again;
    va_copy(again, args);
    int count = format_plain(buffer, format, args);
    if (count == kNotPlain) count = std::vsnprintf(buffer, kFormatBufferSize, format, again);
    va_end(again);
    buffer[kFormatBufferSize - 1] = '\0';
    if (count >= kFormatBufferSize) count = kFormatBufferSize - 1;  // cut, never overrun
    if (count < 0) buffer[0] = '\0';
    return count;
}
