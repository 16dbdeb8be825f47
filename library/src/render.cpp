// Renders drawing records into the back buffer held by memDC. Each record
// creates its own pen, brush or font, restores the DC's previous objects and
// deletes what it created. Window coordinates are turned into device pixels in
// 64 bits and saturated, so any int32 record draws the part of its shape that
// lies in the buffer.
#include "render.h"

#include "lib_state.h"
#include "palette.h"
#include "text_util.h"

namespace {

// A device coordinate computed in 64 bits, saturated to the int32 range.
int saturated(int64_t v) {
    if (v < INT32_MIN) return INT32_MIN;
    if (v > INT32_MAX) return INT32_MAX;
    return static_cast<int>(v);
}
int device_x(int64_t x) { return saturated(lib.originX + x); }
int device_y(int64_t y) { return saturated(lib.originY - y); }

void render_line(const DrawRecord &r, COLORREF rgb) {
    HPEN pen = CreatePen(PS_SOLID, r.width, rgb);
    HGDIOBJ oldPen = SelectObject(lib.memDC, pen);
    MoveToEx(lib.memDC, device_x(r.x1), device_y(r.y1), nullptr);
    LineTo(lib.memDC, device_x(r.x2), device_y(r.y2));
    SelectObject(lib.memDC, oldPen);
    DeleteObject(pen);
}

void render_shape(const DrawRecord &r, COLORREF rgb) {
    HPEN pen = CreatePen(PS_SOLID, r.width, rgb);
    HGDIOBJ brush = r.width == 0 ? static_cast<HGDIOBJ>(CreateSolidBrush(rgb)) : GetStockObject(NULL_BRUSH);
    HGDIOBJ oldPen = SelectObject(lib.memDC, pen);
    HGDIOBJ oldBrush = SelectObject(lib.memDC, brush);

    // One more on the far edges makes both corners of the record part of the shape.
    const int left = device_x(r.x1);
    const int top = device_y(r.y1);
    const int right = saturated(lib.originX + int64_t{r.x2} + 1);
    const int bottom = saturated(lib.originY - r.y2 + 1);
    if (r.kind == DRAW_RECTANGLE) {
        Rectangle(lib.memDC, left, top, right, bottom);
    } else if (r.kind == DRAW_OVAL) {
        Ellipse(lib.memDC, left, top, right, bottom);
    } else {
        const POINT points[3] = {
            {device_x(r.x1), device_y(r.y1)},
            {device_x(r.x2), device_y(r.y2)},
            {device_x(r.x3), device_y(r.y3)},
        };
        Polygon(lib.memDC, points, 3);
    }

    SelectObject(lib.memDC, oldPen);
    SelectObject(lib.memDC, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void render_text(const DrawRecord &r, COLORREF rgb) {
    SetTextColor(lib.memDC, rgb);
    const int oldMode = GetBkMode(lib.memDC);
    SetBkMode(lib.memDC, TRANSPARENT);
    HFONT font = create_library_font(r.x2);
    HGDIOBJ oldFont = SelectObject(lib.memDC, font);

    HGLOBAL block = reinterpret_cast<HGLOBAL>(r.y2);
    const char *text = static_cast<const char *>(GlobalLock(block));
    if (text != nullptr) {
        SIZE size;
        GetTextExtentPointA(lib.memDC, text, text_length(text), &size);
        const int64_t h = size.cy;

        // The first line's cell stands on the anchor; each further line is one
        // line height lower.
        size_t start = 0;
        int64_t k = 0;
        bool done = false;
        while (!done) {
            size_t stop = start;
            while (text[stop] != '\n' && text[stop] != '\0') ++stop;
            if (text[stop] == '\0') done = true;
            TextOutA(lib.memDC, device_x(r.x1), saturated(lib.originY - int64_t{r.y1} + (k - 1) * h), text + start,
                     static_cast<int>(stop - start));
            ++k;
            start = stop + 1;
        }
    }
    GlobalUnlock(block);

    SetBkMode(lib.memDC, oldMode);
    SelectObject(lib.memDC, oldFont);
    DeleteObject(font);
}

}  // namespace

HFONT create_library_font(int32_t size) {
    return CreateFontA(-size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "TELKA-font");
}

void render_record(const DrawRecord *rec) {
    const DrawRecord &r = *rec;
    switch (r.kind) {
        case DRAW_PIXEL:
            SetPixel(lib.memDC, device_x(r.x1), device_y(r.y1), colorValues[r.color]);
            break;
        case DRAW_LINE: render_line(r, colorValues[r.color]); break;
        case DRAW_RECTANGLE:
        case DRAW_OVAL:
        case DRAW_TRIANGLE: render_shape(r, colorValues[r.color]); break;
        case DRAW_TEXT: render_text(r, colorValues[r.color]); break;
        default: break;
    }
    lib.backBufferDirty = 1;
}
