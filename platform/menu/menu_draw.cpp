// Menu geometry and drawing: bar items and drop-down rows measured with the
// default GUI font's cached metrics (font_cache.h), pixels drawn with FillRect
// and TextOutA on a 32-bit memory bitmap and copied to their destination.
#include "menu/menu_draw.h"

#include "text/font_cache.h"
#include "gdi/gdi_objects.h"
#include "gdi/target.h"
#include "user/sys_colours.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace standin {

namespace {

constexpr int kBarPad = 4;            // space left and right of a bar label
constexpr int kFrame = 3;             // drop-down: dark outline, light edge, one pixel of padding
constexpr int kCheckColumn = 20;      // margin for check marks before the labels
constexpr int kColumnGap = 24;        // between the widest label and the shortcut column
constexpr int kRightMargin = 18;
constexpr int kSeparatorHeight = 9;
constexpr int kRowPadding = 6;        // added to the font's cell height

HGDIOBJ menu_font() { return GetStockObject(DEFAULT_GUI_FONT); }
FontInstance *menu_font_instance() { return font_instance(gdi_font(menu_font())); }

int64_t width_of(FontInstance *fi, const std::string &s) { return text_width(fi, s.data(), s.size()); }

// A 32-bit memory bitmap with a DC on it, set up for menu text.
class MenuBitmap {
public:
    MenuBitmap(int width, int height) : width_(width), height_(height) {
        bitmap_ = gdi_new_bitmap(width, height, 32);
        handle_ = gdi_register(bitmap_);
        dc_ = CreateCompatibleDC(nullptr);
        old_bitmap_ = SelectObject(dc_, handle_);
        old_font_ = SelectObject(dc_, menu_font());
        SetBkMode(dc_, TRANSPARENT);
    }
    ~MenuBitmap() {
        SelectObject(dc_, old_font_);
        SelectObject(dc_, old_bitmap_);
        DeleteDC(dc_);
        DeleteObject(handle_);
    }
    MenuBitmap(const MenuBitmap &) = delete;
    MenuBitmap &operator=(const MenuBitmap &) = delete;

    HDC dc() const { return dc_; }

    void fill(int64_t l, int64_t t, int64_t r, int64_t b, COLORREF c) const {
        if (l >= r || t >= b) return;
        const RECT rc{saturate32(l), saturate32(t), saturate32(r), saturate32(b)};
        HBRUSH brush = CreateSolidBrush(c);
        FillRect(dc_, &rc, brush);
        DeleteObject(brush);
    }

    // Text with its mnemonic underlined, top-left of the cell at (x, y).
    void text(FontInstance *fi, int64_t x, int64_t y, const MnemonicText &t, COLORREF c) const {
        if (t.text.empty()) return;
        SetTextColor(dc_, c);
        TextOutA(dc_, saturate32(x), saturate32(y), t.text.data(), static_cast<int>(std::min<size_t>(t.text.size(), INT_MAX)));
        if (t.underline == std::string::npos) return;
        const int64_t ux = x + text_width(fi, t.text.data(), t.underline);
        const int64_t uw = glyph_advance(fi, static_cast<uint8_t>(t.text[t.underline]));
        const int64_t uy = y + fi->tm.tmAscent + 1;
        fill(ux, uy, ux + uw, uy + 1, c);
    }

    // Greyed text: grey with a white emboss one pixel down and right.
    void grey_text(FontInstance *fi, int64_t x, int64_t y, const MnemonicText &t) const {
        text(fi, x + 1, y + 1, t, kLightColour);
        text(fi, x, y, t, kGreyTextColour);
    }

    void copy_to(uint32_t *pixels, ptrdiff_t stride) const {
        for (int y = 0; y < height_; ++y)
            std::memcpy(pixels + y * stride, bitmap_->pixels.data() + static_cast<size_t>(y) * width_,
                        static_cast<size_t>(width_) * sizeof(uint32_t));
    }

private:
    int width_;
    int height_;
    Bitmap *bitmap_ = nullptr;
    HGDIOBJ handle_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_bitmap_ = nullptr;
    HGDIOBJ old_font_ = nullptr;
};

// A 7 x 7 check mark, one string per row.
constexpr const char *kCheckMark[7] = {
    "......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#....",
};

void draw_check(const MenuBitmap &c, int64_t x, int64_t y, COLORREF colour) {
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 7; ++col)
            if (kCheckMark[row][col] == '#') c.fill(x + col, y + row, x + col + 1, y + row + 1, colour);
}

}  // namespace

std::vector<BarItemBox> layout_bar(const Menu &bar) {
    FontInstance *fi = menu_font_instance();
    std::vector<BarItemBox> boxes;
    boxes.reserve(bar.items.size());
    int64_t x = 0;
    for (const MenuItem &item : bar.items) {
        const int64_t w = width_of(fi, strip_mnemonic(menu_label(item)).text) + 2 * kBarPad;
        boxes.push_back(BarItemBox{x, x + w});
        x += w;
    }
    return boxes;
}

int bar_item_at(const std::vector<BarItemBox> &boxes, int64_t x, int64_t y, int height) {
    if (y < 0 || y >= height) return -1;
    for (size_t i = 0; i < boxes.size(); ++i)
        if (x >= boxes[i].left && x < boxes[i].right) return static_cast<int>(i);
    return -1;
}

void draw_bar(const Menu &bar, int selected, BarLook look, uint32_t *pixels, int width, int height,
              ptrdiff_t stride) {
    if (!pixels || width <= 0 || height <= 0) return;
    FontInstance *fi = menu_font_instance();
    MenuBitmap c(width, height);
    c.fill(0, 0, width, height, kFaceColour);
    const std::vector<BarItemBox> boxes = layout_bar(bar);
    const int64_t text_y = (height - fi->tm.tmHeight) / 2;
    for (size_t i = 0; i < boxes.size() && boxes[i].left < width; ++i) {
        const BarItemBox &b = boxes[i];
        if (static_cast<int>(i) == selected) {
            const COLORREF top_left = look == BarLook::Raised ? kLightColour : kShadowColour;
            const COLORREF bottom_right = look == BarLook::Raised ? kShadowColour : kLightColour;
            c.fill(b.left, 1, b.right, 2, top_left);
            c.fill(b.left, 1, b.left + 1, height - 1, top_left);
            c.fill(b.left, height - 2, b.right, height - 1, bottom_right);
            c.fill(b.right - 1, 1, b.right, height - 1, bottom_right);
        }
        const MenuItem &item = bar.items[i];
        const MnemonicText t = strip_mnemonic(menu_label(item));
        // A sunken item's text sits one pixel down and right, as if pressed.
        const int64_t shift = static_cast<int>(i) == selected && look == BarLook::Sunken ? 1 : 0;
        if (item.grayed())
            c.grey_text(fi, b.left + kBarPad + shift, text_y + shift, t);
        else
            c.text(fi, b.left + kBarPad + shift, text_y + shift, t, kTextColour);
    }
    c.copy_to(pixels, stride);
}

int PopupLayout::item_at(int64_t x, int64_t y) const {
    if (x < kFrame || x >= width - kFrame || row_top.size() < 2) return -1;
    if (y < row_top.front() || y >= row_top.back()) return -1;
    // Rows are sorted by their top edge.
    const auto it = std::upper_bound(row_top.begin(), row_top.end(), y);
    return static_cast<int>(it - row_top.begin()) - 1;
}

PopupLayout layout_popup(const Menu &popup) {
    FontInstance *fi = menu_font_instance();
    PopupLayout l;
    l.text_height = fi->tm.tmHeight;
    const int64_t row_height = l.text_height + kRowPadding;
    int64_t label_w = 0, shortcut_w = 0;
    int64_t y = kFrame;
    l.row_top.reserve(popup.items.size() + 1);
    for (const MenuItem &item : popup.items) {
        l.row_top.push_back(y);
        if (item.separator()) {
            y += kSeparatorHeight;
            continue;
        }
        y += row_height;
        label_w = std::max(label_w, width_of(fi, strip_mnemonic(menu_label(item)).text));
        shortcut_w = std::max(shortcut_w, width_of(fi, strip_mnemonic(menu_shortcut(item)).text));
    }
    l.row_top.push_back(y);
    l.label_x = kFrame + kCheckColumn;
    l.shortcut_x = l.label_x + label_w + kColumnGap;
    const int64_t content_right = shortcut_w > 0 ? l.shortcut_x + shortcut_w : l.label_x + label_w;
    l.width = content_right + kRightMargin + kFrame;
    l.height = y + kFrame;
    return l;
}

void draw_popup(const Menu &popup, const PopupLayout &l, int highlight, uint32_t *pixels, int width, int height,
                ptrdiff_t stride) {
    if (!pixels || width <= 0 || height <= 0) return;
    FontInstance *fi = menu_font_instance();
    MenuBitmap c(width, height);
    c.fill(0, 0, width, height, kFaceColour);
    // Raised frame: dark outline, then a light top-left and a shadowed bottom-right edge.
    c.fill(0, 0, l.width, 1, kDarkShadowColour);
    c.fill(0, 0, 1, l.height, kDarkShadowColour);
    c.fill(0, l.height - 1, l.width, l.height, kDarkShadowColour);
    c.fill(l.width - 1, 0, l.width, l.height, kDarkShadowColour);
    c.fill(1, 1, l.width - 1, 2, kLightColour);
    c.fill(1, 1, 2, l.height - 1, kLightColour);
    c.fill(1, l.height - 2, l.width - 1, l.height - 1, kShadowColour);
    c.fill(l.width - 2, 1, l.width - 1, l.height - 1, kShadowColour);

    const size_t n = std::min(popup.items.size(), l.row_top.size() - 1);
    for (size_t i = 0; i < n && l.row_top[i] < height; ++i) {
        const MenuItem &item = popup.items[i];
        const int64_t top = l.row_top[i], bottom = l.row_top[i + 1];
        if (bottom <= 0) continue;
        if (item.separator()) {
            // A sunken groove: shadow line over a light one.
            const int64_t mid = top + (bottom - top) / 2 - 1;
            c.fill(kFrame + 1, mid, l.width - kFrame - 1, mid + 1, kShadowColour);
            c.fill(kFrame + 1, mid + 1, l.width - kFrame - 1, mid + 2, kLightColour);
            continue;
        }
        const bool lit = static_cast<int>(i) == highlight;
        if (lit) c.fill(kFrame, top, l.width - kFrame, bottom, kSelectionColour);
        const int64_t text_y = top + (bottom - top - l.text_height) / 2;
        const MnemonicText label = strip_mnemonic(menu_label(item));
        // Only the label carries the mnemonic.
        const MnemonicText plain_shortcut{strip_mnemonic(menu_shortcut(item)).text};
        COLORREF colour = lit ? kSelectionTextColour : kTextColour;
        if (item.grayed() && !lit) {
            c.grey_text(fi, l.label_x, text_y, label);
            c.grey_text(fi, l.shortcut_x, text_y, plain_shortcut);
            colour = kGreyTextColour;
        } else {
            if (item.grayed()) colour = kGreyTextColour;
            c.text(fi, l.label_x, text_y, label, colour);
            c.text(fi, l.shortcut_x, text_y, plain_shortcut, colour);
        }
        if (item.checked()) draw_check(c, kFrame + (kCheckColumn - 7) / 2, top + (bottom - top - 7) / 2, colour);
    }
    c.copy_to(pixels, stride);
}

}  // namespace standin
