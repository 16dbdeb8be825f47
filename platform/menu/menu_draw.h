// Geometry and look of menus: where the bar's items and a drop-down's rows
// lie, and their drawing through the stand-in's own GDI on a memory DC, in
// the light-grey classic style with the default GUI font.
#pragma once

#include "menu/menu.h"
#include "user/mnemonic.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

constexpr int kMenuBarHeight = 20;  // pixels; the client area starts below it

// Horizontal extent of a top-level item in the bar strip, host pixels.
struct BarItemBox {
    int64_t left = 0;
    int64_t right = 0;
};
std::vector<BarItemBox> layout_bar(const Menu &bar);
// The bar item under a host-surface point of a strip `height` rows high, or -1.
int bar_item_at(const std::vector<BarItemBox> &boxes, int64_t x, int64_t y, int height);

// How the selected bar item stands out: raised while the bar is selected
// from the keyboard, sunken while its drop-down is open.
enum class BarLook { Raised, Sunken };

// Draws the bar into the strip; `selected` is -1 or the item shown selected.
void draw_bar(const Menu &bar, int selected, BarLook look, uint32_t *pixels, int width, int height,
              ptrdiff_t stride);

// A drop-down's rows and columns in its own coordinates (top-left = 0, 0).
struct PopupLayout {
    int64_t width = 0;             // frame included
    int64_t height = 0;
    std::vector<int64_t> row_top;  // top of each item, then the bottom of the last
    int64_t label_x = 0;           // left edge of the label column
    int64_t shortcut_x = 0;        // left edge of the shortcut column
    int64_t text_height = 0;       // font cell height

    // The item whose row holds the point, or -1 (frame, outside).
    int item_at(int64_t x, int64_t y) const;
};
PopupLayout layout_popup(const Menu &popup);

// Draws the part of the drop-down that lies in [0, width) x [0, height) of its
// own coordinates; `highlight` is -1 or the highlighted item.
void draw_popup(const Menu &popup, const PopupLayout &layout, int highlight, uint32_t *pixels, int width,
                int height, ptrdiff_t stride);

}  // namespace standin
