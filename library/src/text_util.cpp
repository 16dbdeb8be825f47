// Text lengths, the empty stand-in for a missing text, and bounded
// formatting, as text_util.h describes them.
#include "text_util.h"

#include <cstdio>

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

int format_text(char *buffer, const char *format, va_list args) {
    buffer[0] = '\0';
    if (format == nullptr) return 0;
    int count = std::vsnprintf(buffer, kFormatBufferSize, format, args);
    buffer[kFormatBufferSize - 1] = '\0';
    if (count >= kFormatBufferSize) count = kFormatBufferSize - 1;  // cut, never overrun
    if (count < 0) buffer[0] = '\0';
    return count;
}
