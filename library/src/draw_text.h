// The formatted text operations' one body, shared by their plain and traced forms.
#pragma once

#include <cstdarg>

#include "telka.h"

// Formats (cut at 1023 characters), draws the text at anchor and returns the count as TELKA_textf does.
int draw_formatted_text(int32_t color, Point anchor, int32_t ptsize, const char *format, va_list args);
