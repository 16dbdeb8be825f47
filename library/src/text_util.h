// Small text helpers shared by the log output, the text drawing and measuring
// calls, the renderer and the line-input dialog: lengths, a stand-in for a
// missing text, and formatting into a fixed buffer that is never overrun.
#pragma once

#include <cstdarg>
#include <cstdint>

constexpr int kFormatBufferSize = 1024;  // formatted text, NUL included

// The number of characters before the first NUL, saturated at INT32_MAX so
// that it always fits a Win32 character count.
int32_t text_length(const char *text);

// `text`, or "" with a message naming `operation` when the caller passed none.
const char *text_or_empty(const char *text, const char *operation);

// Formats into a kFormatBufferSize buffer, cutting longer output at 1023
// characters; returns the number of characters in the buffer (negative only
// when the format itself is invalid, with an empty buffer).
int format_text(char *buffer, const char *format, va_list args);
