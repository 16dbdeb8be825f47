// Test canvas for the rasterizer tests: a memory DC with its own 32-bit or
// monochrome bitmap, helpers to select pens and brushes, and a character
// picture of the pixels ('.' background, '#' pen, 'o' brush, '?' anything
// else) so that expected pixel sets can be written down as pictures.
// Relies only on the Win32 calls of the stand-in plus gdi_new_bitmap.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <string>

#include "gdi/gdi_objects.h"

namespace raster_test {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kPen = RGB(255, 0, 0);
constexpr COLORREF kBrush = RGB(0, 0, 255);

class Canvas {
public:
    Canvas(int width, int height, int bpp = 32, COLORREF background = kBackground) : w_(width), h_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = static_cast<HBITMAP>(standin::gdi_register(standin::gdi_new_bitmap(width, height, bpp)));
        old_bitmap_ = SelectObject(dc_, bitmap_);
        old_pen_ = GetCurrentObject(dc_, OBJ_PEN);
        old_brush_ = GetCurrentObject(dc_, OBJ_BRUSH);
        clear(background);
    }
    ~Canvas() {
        SelectObject(dc_, old_pen_);
        SelectObject(dc_, old_brush_);
        SelectObject(dc_, old_bitmap_);
        if (pen_) DeleteObject(pen_);
        if (brush_) DeleteObject(brush_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    HDC dc() const { return dc_; }
    int width() const { return w_; }
    int height() const { return h_; }
    const standin::Bitmap *bitmap() const { return standin::gdi_bitmap(bitmap_); }

    void clear(COLORREF c) {
        HBRUSH b = CreateSolidBrush(c);
        const RECT all{0, 0, w_, h_};
        FillRect(dc_, &all, b);
        DeleteObject(b);
    }
    void pen(int style, int width, COLORREF c = kPen) {
        HPEN p = CreatePen(style, width, c);
        SelectObject(dc_, p);
        if (pen_) DeleteObject(pen_);
        pen_ = p;
    }
    void brush(COLORREF c = kBrush) {
        HBRUSH b = CreateSolidBrush(c);
        SelectObject(dc_, b);
        if (brush_) DeleteObject(brush_);
        brush_ = b;
    }
    void hollow() { SelectObject(dc_, GetStockObject(NULL_BRUSH)); }
    void null_pen() { SelectObject(dc_, GetStockObject(NULL_PEN)); }

    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

    // The pixels as rows of characters, each row ended by '\n'.
    std::string art() const {
        std::string s;
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) {
                const COLORREF c = at(x, y);
                s += c == kBackground ? '.' : c == kPen ? '#' : c == kBrush ? 'o' : '?';
            }
            s += '\n';
        }
        return s;
    }
    // Number of pixels of colour c.
    int count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) n += at(x, y) == c;
        return n;
    }

private:
    int w_, h_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_bitmap_ = nullptr, old_pen_ = nullptr, old_brush_ = nullptr;
    HPEN pen_ = nullptr;
    HBRUSH brush_ = nullptr;
};

// Draws the same figure on a small canvas, where it is cut by the edges, and
// shifted by (ox, oy) on a large one that holds more of it; the small canvas
// must equal the matching window of the large one. `draw` receives the DC and
// the shift to add to every coordinate; it selects its own pens and brushes.
template <class Draw>
::testing::AssertionResult clipped_like_unclipped(int w, int h, int big_w, int big_h, int ox, int oy, Draw draw) {
    Canvas small(w, h), big(big_w, big_h);
    draw(small, 0, 0);
    draw(big, ox, oy);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (small.at(x, y) != big.at(x + ox, y + oy))
                return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") differs";
    return ::testing::AssertionSuccess();
}

// Joins picture rows written one per line in a test.
inline std::string picture(std::initializer_list<const char *> rows) {
    std::string s;
    for (const char *r : rows) {
        s += r;
        s += '\n';
    }
    return s;
}

}  // namespace raster_test
