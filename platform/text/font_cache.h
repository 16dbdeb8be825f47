// Fonts resolved at a pixel size, with their Windows text metrics and a cache
// of glyph advances and coverage bitmaps per byte. Instances are owned by the
// cache and live for the process, so Font objects created and deleted on every
// drawing call only pay for a hash lookup once the size has been seen.
#pragma once

#include "text/font_face.h"
#include "gdi/gdi_objects.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin {

// Heights beyond this many pixels are clamped to it, keeping INT_MIN/INT_MAX
// requests bounded in time and memory.
constexpr int kMaxFontPixels = 2048;

// Height of the cell a font of height 0 gets: the system font's 16 pixels.
constexpr int kDefaultCellHeight = 16;

// One glyph in device pixels relative to its pen position on the baseline.
struct GlyphBox {
    int left = 0;     // first column, from the pen position
    int top = 0;      // rows above the baseline (the bitmap's first row is baseline - top)
    int width = 0;
    int rows = 0;
};

struct GlyphSlot {
    int advance = -1;               // pixels; -1 until measured (kept in the smooth slot only)
    bool boxed = false;             // drawn as a hollow box: the face has no usable glyph
    GlyphBox box;                   // ink box (exact once rendered)
    std::vector<uint8_t> coverage;  // box.width*box.rows, 0..255; empty when not cached
    bool rendered = false;          // coverage holds the current bitmap
};

struct FontInstance {
    FaceChoice face;
    FT_Size size = nullptr;  // FreeType size object of `face` at `ppem`
    int ppem = 0;            // em height in pixels
    TEXTMETRICA tm{};
    std::array<GlyphSlot, 256> smooth;  // antialiased glyphs, indexed by the Windows-1252 byte
    std::array<GlyphSlot, 256> mono;    // 1-bit surfaces: strongly hinted, coverage 0 or 255
};

// The instance a Font draws with; fills font->instance on first use. A null
// font gets the system font. Never returns null.
FontInstance *font_instance(Font *font);

// Loads byte `b`'s advance and ink box into its smooth slot.
void measure_glyph(FontInstance *fi, uint8_t b);

// Advance of byte `b` in pixels (loads the glyph on first use). Inline: text
// asks for it three times a glyph.
inline int glyph_advance(FontInstance *fi, uint8_t b) {
    if (fi->smooth[b].advance < 0) measure_glyph(fi, b);
    return fi->smooth[b].advance;
}

// Sum of the advances of n bytes, without kerning; 64-bit so long strings of
// huge glyphs cannot overflow.
int64_t text_width(FontInstance *fi, const char *s, size_t n);

// Antialiased ink box of byte `b`, without necessarily rendering it. A
// monochrome glyph lies within this box widened by mono_margin().
const GlyphBox &glyph_box(FontInstance *fi, uint8_t b);
int mono_margin(const FontInstance *fi);

// Coverage of byte `b` (box->width columns per row, box->rows rows), rendered
// on demand: antialiased, or for 1-bit surfaces strongly hinted and
// thresholded at half coverage. Null when the glyph has no ink. The pointer
// stays valid until the next call into the font cache.
const uint8_t *glyph_coverage(FontInstance *fi, uint8_t b, bool mono, GlyphBox *box);

}  // namespace standin
