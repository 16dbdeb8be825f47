// Font instances at a pixel size and their glyph cache. Sizes follow
// CreateFontA's height rules; metrics follow Windows' TrueType conventions
// (cell from the OS/2 win metrics). FreeType renders; advances come from the
// lightly hinted glyphs, whole pixels, and are shared by every surface.
#include "text/font_cache.h"

#include "text/cp1252.h"

#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>

namespace standin {

namespace {

// TEXTMETRIC pitch bits (tmPitchAndFamily). Windows' TMPF_FIXED_PITCH is set
// for variable-pitch fonts: the name is historical and inverted.
constexpr BYTE kTmpfFixedPitch = 0x01;
constexpr BYTE kTmpfVector = 0x02;
constexpr BYTE kTmpfTrueType = 0x04;

// Rendered coverage kept across calls, all instances together. Past it the
// cached bitmaps are dropped (advances stay) and rendered again on demand.
constexpr size_t kCoverageBudget = size_t{4} << 20;
// Above this em size measuring does not render; bitmaps are only made to draw.
constexpr int kRenderWhenMeasuringMaxPpem = 128;

// Colour surfaces get light hinting (vertical only, shapes kept); 1-bit
// surfaces get the autohinter's strong hinting, which snaps stems to whole
// pixels so thresholding does not drop thin strokes.
constexpr FT_Int32 kSmoothLoad = FT_LOAD_TARGET_LIGHT;
constexpr FT_Int32 kMonoLoad = FT_LOAD_TARGET_NORMAL | FT_LOAD_FORCE_AUTOHINT;

struct LogicalKey {
    std::string face;
    int height;
    int weight;
    int pitch_family;
    bool italic;
    bool operator==(const LogicalKey &) const = default;
};

// A Font's request as it stands, looked up without copying its face name:
// fonts are created and deleted around every text a program draws.
struct LogicalView {
    std::string_view face;
    int height;
    int weight;
    int pitch_family;
    bool italic;
};

struct LogicalHash {
    using is_transparent = void;
    size_t operator()(const LogicalView &k) const {
        // FNV-1a over the name, inline: the C++ library's string hash is a
        // call per lookup, and a lookup per text drawn.
        uint64_t h = 0xCBF29CE484222325ull;
        for (const char c : k.face) h = (h ^ static_cast<uint8_t>(c)) * 0x100000001B3ull;
        auto mix = [&h](uint64_t v) { h = (h ^ v) * 0x100000001B3ull + (h >> 29); };
        mix(static_cast<uint32_t>(k.height));
        mix(static_cast<uint32_t>(k.weight));
        mix(static_cast<uint32_t>(k.pitch_family) * 2u + (k.italic ? 1u : 0u));
        return static_cast<size_t>(h);
    }
    size_t operator()(const LogicalKey &k) const { return (*this)(view(k)); }
    static LogicalView view(const LogicalKey &k) { return {k.face, k.height, k.weight, k.pitch_family, k.italic}; }
};

struct LogicalEqual {
    using is_transparent = void;
    static bool same(const LogicalView &a, const LogicalView &b) {
        return a.face == b.face && a.height == b.height && a.weight == b.weight && a.pitch_family == b.pitch_family &&
               a.italic == b.italic;
    }
    bool operator()(const LogicalKey &a, const LogicalKey &b) const { return a == b; }
    bool operator()(const LogicalView &a, const LogicalKey &b) const { return same(a, LogicalHash::view(b)); }
    bool operator()(const LogicalKey &a, const LogicalView &b) const { return same(LogicalHash::view(a), b); }
};

using InstanceKey = std::tuple<FaceFile *, bool, bool, int>;  // file, embolden, oblique, ppem

struct Cache {
    std::unordered_map<LogicalKey, FontInstance *, LogicalHash, LogicalEqual> logical;
    std::map<InstanceKey, FontInstance *> instances;
    size_t coverage_bytes = 0;
    std::vector<uint8_t> scratch;  // a glyph too large to keep
};

Cache &cache() {
    static Cache *c = new Cache;  // never destroyed: Font objects point into it until exit
    return *c;
}

int64_t scale(int64_t units, int ppem, int upem) { return (units * ppem + upem / 2) / upem; }

int cell_height(const FaceFile *f, int ppem) {
    return static_cast<int>(std::max<int64_t>(1, scale(f->win_ascent, ppem, f->units_per_em)) +
                            scale(f->win_descent, ppem, f->units_per_em));
}

// CreateFontA's height: < 0 asks for the em height, > 0 for the cell height,
// 0 for the default cell. Magnitudes beyond kMaxFontPixels are clamped.
int ppem_for_height(const FaceFile *f, int height) {
    int64_t h = height == 0 ? kDefaultCellHeight : height;
    if (h < 0) return static_cast<int>(std::min<int64_t>(-h, kMaxFontPixels));
    h = std::min<int64_t>(h, kMaxFontPixels);
    int64_t p = (h * f->units_per_em + (f->win_ascent + f->win_descent) / 2) / (f->win_ascent + f->win_descent);
    p = std::clamp<int64_t>(p, 1, kMaxFontPixels);
    // The largest em whose cell does not exceed the request, as the mapper picks.
    while (p > 1 && cell_height(f, static_cast<int>(p)) > h) --p;
    while (p < kMaxFontPixels && cell_height(f, static_cast<int>(p + 1)) <= h) ++p;
    return static_cast<int>(p);
}

FT_UInt glyph_index(const FaceFile *f, uint8_t b) {
    const char32_t u = cp1252_to_unicode(b);
    // Control bytes and undefined positions show the default glyph, as TextOut does.
    if (u < 0x20 || u == 0x7F) return 0;
    if (f->unicode_map) return FT_Get_Char_Index(f->ft, u);
    FT_UInt i = FT_Get_Char_Index(f->ft, b);
    return i ? i : FT_Get_Char_Index(f->ft, 0xF000u | b);  // symbol fonts
}

void drop_all_coverage() {
    Cache &c = cache();
    for (auto &entry : c.instances)
        for (auto *slots : {&entry.second->smooth, &entry.second->mono})
            for (GlyphSlot &g : *slots) {
                g.coverage = std::vector<uint8_t>();
                g.rendered = false;
            }
    c.coverage_bytes = 0;
}

// Keeps a rendered bitmap in the slot when the budget allows, otherwise in the
// scratch buffer; returns where it went.
uint8_t *coverage_storage(GlyphSlot &g, size_t bytes) {
    Cache &c = cache();
    if (bytes <= kCoverageBudget / 16) {
        if (c.coverage_bytes + bytes > kCoverageBudget) drop_all_coverage();
        g.coverage.assign(bytes, 0);
        g.rendered = true;
        c.coverage_bytes += bytes;
        return g.coverage.data();
    }
    c.scratch.assign(bytes, 0);
    return c.scratch.data();
}

// The hollow box that stands for a glyph the face cannot give (or all glyphs
// when there is no face): its advance and ink box.
void box_metrics(const FontInstance *fi, uint8_t b, GlyphSlot *g) {
    const int p = fi->ppem;
    g->boxed = true;
    g->advance = std::max(2, (p * 3 + 2) / 5);
    g->box = GlyphBox{};
    if (b == ' ' || b == 0xA0) return;  // spaces stay blank even without a face
    g->box.left = 1;
    g->box.top = g->box.rows = std::max(1, (p * 7 + 5) / 10);
    g->box.width = std::max(1, g->advance - 2);
}

const uint8_t *render_box(const FontInstance *fi, const GlyphBox &box, GlyphSlot &g) {
    g.box = box;
    if (box.width <= 0 || box.rows <= 0) return nullptr;
    const size_t w = static_cast<size_t>(box.width);
    uint8_t *cov = coverage_storage(g, w * static_cast<size_t>(box.rows));
    const int stroke = std::max(1, fi->ppem / 12);
    for (int y = 0; y < box.rows; ++y)
        for (int x = 0; x < box.width; ++x)
            if (x < stroke || y < stroke || x >= box.width - stroke || y >= box.rows - stroke)
                cov[static_cast<size_t>(y) * w + static_cast<size_t>(x)] = 255;
    return cov;
}

GlyphBox cbox_of(const FT_Outline &outline) {
    if (outline.n_points == 0) return GlyphBox{};
    FT_BBox cb;
    FT_Outline_Get_CBox(&outline, &cb);
    const FT_Pos l = cb.xMin >> 6, r = (cb.xMax + 63) >> 6, b = cb.yMin >> 6, t = (cb.yMax + 63) >> 6;
    return GlyphBox{static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l), static_cast<int>(t - b)};
}

// Loads the outline of byte b into the face's glyph slot with the styles the
// face needs synthesised; null when FreeType fails.
FT_GlyphSlot load_outline(FontInstance *fi, uint8_t b, FT_Int32 flags, FT_UInt *index) {
    FaceFile *f = fi->face.file;
    *index = glyph_index(f, b);
    if (f->ft->size != fi->size) FT_Activate_Size(fi->size);
    if (FT_Load_Glyph(f->ft, *index, flags | FT_LOAD_NO_BITMAP) != 0) return nullptr;
    FT_GlyphSlot slot = f->ft->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (fi->face.oblique) FT_GlyphSlot_Oblique(slot);
        if (fi->face.embolden) FT_GlyphSlot_Embolden(slot);
    }
    return slot;
}

// Renders a loaded slot into g; with `threshold`, coverage becomes 0 or 255.
const uint8_t *store_bitmap(FT_GlyphSlot slot, bool threshold, GlyphSlot &g) {
    g.box = GlyphBox{};
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return nullptr;
    const FT_Bitmap &bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.width == 0 || bm.rows == 0) return nullptr;
    g.box = GlyphBox{slot->bitmap_left, slot->bitmap_top, static_cast<int>(bm.width), static_cast<int>(bm.rows)};
    const size_t w = bm.width;
    uint8_t *cov = coverage_storage(g, w * bm.rows);
    for (unsigned y = 0; y < bm.rows; ++y) {
        const uint8_t *src = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
        uint8_t *dst = cov + y * w;
        if (threshold) {
            for (size_t x = 0; x < w; ++x) dst[x] = src[x] >= 128 ? 255 : 0;
        } else {
            std::memcpy(dst, src, w);
        }
    }
    return cov;
}

// Fills the smooth slot's advance and box; small sizes render at once, which
// saves loading the outline a second time to draw.
void measure(FontInstance *fi, uint8_t b) {
    GlyphSlot &g = fi->smooth[b];
    if (!fi->face.file->ft || !fi->size) return box_metrics(fi, b, &g);
    FT_UInt index = 0;
    FT_GlyphSlot slot = load_outline(fi, b, kSmoothLoad, &index);
    if (!slot) return box_metrics(fi, b, &g);
    const int advance = static_cast<int>((slot->advance.x + 32) >> 6);
    const bool outline = slot->format == FT_GLYPH_FORMAT_OUTLINE;
    // A default glyph without ink or width would make control bytes vanish.
    if (index == 0 && (advance <= 0 || !outline || slot->outline.n_points == 0)) return box_metrics(fi, b, &g);
    g.advance = std::max(0, advance);
    g.box = outline ? cbox_of(slot->outline) : GlyphBox{};
    if (outline && fi->ppem <= kRenderWhenMeasuringMaxPpem) store_bitmap(slot, false, g);
}

void fill_metrics(FontInstance *fi, bool italic) {
    const FaceFile *f = fi->face.file;
    const int p = fi->ppem;
    TEXTMETRICA &tm = fi->tm;
    tm.tmAscent = static_cast<LONG>(std::max<int64_t>(1, scale(f->win_ascent, p, f->units_per_em)));
    tm.tmDescent = static_cast<LONG>(scale(f->win_descent, p, f->units_per_em));
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - p);
    tm.tmExternalLeading = static_cast<LONG>(scale(f->external_gap, p, f->units_per_em));
    tm.tmAveCharWidth = glyph_advance(fi, 'x');
    LONG max_width = tm.tmAveCharWidth;
    if (f->ft) {
        max_width = std::max<LONG>(max_width, static_cast<LONG>(scale(f->ft->max_advance_width, p, f->units_per_em)));
        if (fi->face.embolden) max_width += std::max(1, p / 24);
    }
    tm.tmMaxCharWidth = max_width;
    tm.tmWeight = fi->face.embolden ? FW_BOLD : f->weight_class;
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x1E;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = italic ? 1 : 0;
    tm.tmUnderlined = 0;
    tm.tmStruckOut = 0;
    const bool fixed = f->ft ? f->fixed_pitch : true;
    tm.tmPitchAndFamily = static_cast<BYTE>((fixed ? 0 : kTmpfFixedPitch) | (f->ft ? kTmpfVector | kTmpfTrueType : 0) |
                                            (f->ft ? f->family : FF_MODERN));
    tm.tmCharSet = ANSI_CHARSET;
}

FontInstance *make_instance(const FaceChoice &choice, int ppem, bool italic) {
    auto *fi = new FontInstance;  // owned by the cache for the process
    fi->face = choice;
    fi->ppem = ppem;
    FT_Face face = choice.file->ft;
    if (face) {
        if (FT_New_Size(face, &fi->size) != 0) {
            fi->size = nullptr;
        } else {
            FT_Activate_Size(fi->size);
            if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem)) != 0) fi->size = nullptr;
        }
    }
    fill_metrics(fi, italic);
    return fi;
}

}  // namespace

// CreateFontA's width is not honoured: glyphs keep their design proportions
// (the library always asks for width 0).
FontInstance *font_instance(Font *font) {
    if (!font) font = gdi_stock_font(SYSTEM_FONT);
    if (font->instance) return font->instance;
    Cache &c = cache();
    const LogicalView request{font->face_name(), font->height, font->weight, font->pitch_family, font->italic};
    if (auto it = c.logical.find(request); it != c.logical.end()) return font->instance = it->second;

    const FaceChoice choice = face_for(std::string(font->face_name()), font->weight, font->italic, font->pitch_family);
    const int ppem = ppem_for_height(choice.file, font->height);
    const InstanceKey ik{choice.file, choice.embolden, choice.oblique, ppem};
    FontInstance *fi;
    if (auto it = c.instances.find(ik); it != c.instances.end()) {
        fi = it->second;
    } else {
        fi = make_instance(choice, ppem, font->italic);
        c.instances.emplace(ik, fi);
    }
    if (c.logical.size() >= kMaxCachedRequests) c.logical.clear();
    c.logical.emplace(LogicalKey{std::string(font->face_name()), font->height, font->weight, font->pitch_family, font->italic}, fi);
    return font->instance = fi;
}

void measure_glyph(FontInstance *fi, uint8_t b) { measure(fi, b); }

int64_t text_width(FontInstance *fi, const char *s, size_t n) {
    int64_t w = 0;
    for (size_t i = 0; i < n; ++i) w += glyph_advance(fi, static_cast<uint8_t>(s[i]));
    return w;
}

const GlyphBox &glyph_box(FontInstance *fi, uint8_t b) {
    glyph_advance(fi, b);
    return fi->smooth[b].box;
}

int mono_margin(const FontInstance *fi) { return 2 + fi->ppem / 8; }

const uint8_t *glyph_coverage(FontInstance *fi, uint8_t b, bool mono, GlyphBox *box) {
    glyph_advance(fi, b);
    const GlyphSlot &smooth = fi->smooth[b];
    GlyphSlot &g = mono ? fi->mono[b] : fi->smooth[b];
    const uint8_t *cov = nullptr;
    if (g.rendered) {
        cov = g.coverage.data();
    } else if (smooth.boxed) {
        cov = render_box(fi, smooth.box, g);
    } else {
        FT_UInt index = 0;
        FT_GlyphSlot slot = load_outline(fi, b, mono ? kMonoLoad : kSmoothLoad, &index);
        if (slot && slot->format == FT_GLYPH_FORMAT_OUTLINE) cov = store_bitmap(slot, mono, g);
        else g.box = GlyphBox{};
    }
    *box = g.box;
    return box->width > 0 && box->rows > 0 ? cov : nullptr;
}

}  // namespace standin
