// Face selection for the stand-in's fonts: font_lookup.h turns a logical request
// (face name, weight, slant, pitch and family) into a font file, FreeType opens
// it. Both libraries are initialised once, on first use; opened faces live for
// the whole process.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <string>

namespace standin {

// One opened font file with the design metrics the cell height is built from.
struct FaceFile {
    FT_Face ft = nullptr;   // null when nothing could be opened: glyphs become boxes
    std::string path;
    int index = 0;          // face index inside the file
    int units_per_em = 2048;
    int win_ascent = 0;     // font units, from the OS/2 table (hhea when absent)
    int win_descent = 0;    // font units, positive below the baseline
    int external_gap = 0;   // font units of line gap outside the cell, >= 0
    int weight_class = 400; // 1..1000
    bool fixed_pitch = false;
    int family = 0x20;      // FF_SWISS, FF_ROMAN or FF_MODERN, from the pitch and PANOSE
    bool unicode_map = false;  // a Unicode charmap is selected
};

// What a logical font resolves to: the file plus the styles FreeType must
// synthesise because the file lacks them.
struct FaceChoice {
    FaceFile *file = nullptr;  // never null after face_for()
    bool embolden = false;
    bool oblique = false;
};

// Entries kept by the caches keyed by logical requests before they start
// over; they only save fontconfig work, so invented names cannot grow them.
constexpr size_t kMaxCachedRequests = 1024;

// Resolves a request. Unknown names fall back to DejaVu Sans Mono for fixed
// pitch or FF_MODERN requests, DejaVu Sans otherwise; weight >= 600 is bold.
// Results are cached per request.
FaceChoice face_for(const std::string &name, int weight, bool italic, int pitch_family);

}  // namespace standin
