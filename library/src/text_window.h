// The text window: a ring of the last 25 lines of output, shown newest at the
// bottom, and its window procedure, which passes keys on to the graphics window.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdint>

constexpr int kFormatBufferSize = 1024;  // formatted text, NUL included

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void text_window_paint(HWND window);
int32_t text_length(const char *text);

// `text`, or "" with a message naming `operation` when the caller passed none.
const char *text_or_empty(const char *text, const char *operation);

// Formats into a kFormatBufferSize buffer, cutting longer output at 1023
// characters; returns the number of characters in the buffer (negative only
// when the format itself is invalid, with an empty buffer).
int format_text(char *buffer, const char *format, va_list args);
