// Text operations: drawing a text (its copy travels to the renderer in a
// movable global block), the formatted forms, and measuring. Formatted text
// is cut at 1023 characters; a text whose copy cannot be allocated is skipped.
#include <cstdarg>
#include <cstring>

#include "draw_args.h"
#include "draw_text.h"
#include "lib_state.h"
#include "palette.h"
#include "render.h"
#include "telka.h"
#include "text_util.h"
#include "text_window.h"

int TELKA_text_pt(int32_t color, Point anchor, int32_t ptsize, const char *text) {
    text = text_or_empty(text, "TELKA_text");
    ptsize = validate_ptsize(ptsize);
    color = validate_color(color);
    log_drawing_call("%s text at (%d,%d), \"%s\"\n", colorNames[color], anchor.x, anchor.y, text);

    const size_t count = std::strlen(text);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, count + 1);
    if (block == nullptr) return 1;
    char *copy = static_cast<char *>(GlobalLock(block));
    if (copy == nullptr) {
        GlobalFree(block);
        return 1;
    }
    std::memcpy(copy, text, count + 1);
    GlobalUnlock(block);

    DrawRecord rec = {};
    rec.kind = DRAW_TEXT;
    rec.color = color;
    rec.x1 = anchor.x;
    rec.y1 = anchor.y;
    rec.x2 = ptsize;
    rec.y2 = reinterpret_cast<INT_PTR>(block);
    render_record(&rec);
    GlobalFree(block);
    return 1;
}

int TELKA_text(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *text) {
    return TELKA_text_pt(color, Point{x, y}, ptsize, text);
}

int draw_formatted_text(int32_t color, Point anchor, int32_t ptsize, const char *format, va_list args) {
    char buffer[kFormatBufferSize];
    const int count = format_text(buffer, text_or_empty(format, "formatted text"), args);
    TELKA_text_pt(color, anchor, ptsize, buffer);
    return count;
}

int TELKA_textf_pt(int32_t color, Point anchor, int32_t ptsize, const char *format, ...) {
    va_list args;
    va_start(args, format);
    const int count = draw_formatted_text(color, anchor, ptsize, format, args);
    va_end(args);
    return count;
}

int TELKA_textf(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *format, ...) {
    va_list args;
    va_start(args, format);
    const int count = draw_formatted_text(color, Point{x, y}, ptsize, format, args);
    va_end(args);
    return count;
}

int TELKA_text_size(int32_t ptsize, int32_t *height, int32_t *width, const char *text) {
    text = text_or_empty(text, "TELKA_text_size");
    ptsize = validate_ptsize(ptsize);
    HFONT font = create_library_font(ptsize);
    HGDIOBJ oldFont = SelectObject(lib.memDC, font);
    SIZE size = {0, 0};
    GetTextExtentPointA(lib.memDC, text, text_length(text), &size);
    if (height != nullptr) *height = size.cy;
    if (width != nullptr) *width = size.cx;
    SelectObject(lib.memDC, oldFont);
    DeleteObject(font);
    return 1;
}

int TELKA_textf_size(int32_t ptsize, int32_t *height, int32_t *width, const char *format, ...) {
    char buffer[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    const int count = format_text(buffer, text_or_empty(format, "formatted text"), args);
    va_end(args);
    TELKA_text_size(ptsize, height, width, buffer);
    return count;
}
