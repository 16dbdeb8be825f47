// Face selection (font_lookup.h: fontconfig, or the browser's fixed table)
// and face loading through FreeType. Both start once, on the first font
// request; faces are kept open for the rest of the process because every
// font size draws from them.
#include "text/font_face.h"

#include "text/font_lookup.h"

#include <windows.h>

#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>

namespace standin {

namespace {

struct RequestKey {
    std::string name;
    int weight;
    bool italic;
    bool mono;
    bool operator==(const RequestKey &) const = default;
};

struct RequestHash {
    size_t operator()(const RequestKey &k) const {
        size_t h = std::hash<std::string>()(k.name);
        h ^= static_cast<size_t>(k.weight) * 0x9E3779B97F4A7C15ull + (k.italic ? 1u : 0u) + (k.mono ? 2u : 0u);
        return h;
    }
};

struct FaceSystem {
    FT_Library ft = nullptr;
    bool lookup_ready = false;
    std::map<std::pair<std::string, int>, FaceFile *> files;
    std::unordered_map<RequestKey, FaceChoice, RequestHash> requests;
    FaceFile no_face;  // stands in when no font can be found or opened
};

FaceSystem *start() {
    auto *s = new FaceSystem;  // never destroyed: fonts may be used until exit
    // Without fonts, a cell of usual proportions: 0.93 em above, 0.24 em below.
    s->no_face.win_ascent = 1901;
    s->no_face.win_descent = 483;
    if (FT_Init_FreeType(&s->ft) != 0) {
        std::fprintf(stderr, "standin: FreeType failed to start; text is drawn as boxes\n");
        s->ft = nullptr;
    }
    s->lookup_ready = font_lookup_start();
    return s;
}

FaceSystem &sys() {
    static FaceSystem *s = start();
    return *s;
}

void read_design_metrics(FaceFile *f) {
    FT_Face face = f->ft;
    f->units_per_em = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    auto *os2 = static_cast<TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    auto *hhea = static_cast<TT_HoriHeader *>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFFu && os2->usWinAscent + os2->usWinDescent > 0) {
        f->win_ascent = os2->usWinAscent;
        f->win_descent = os2->usWinDescent;
    } else {
        f->win_ascent = std::max<int>(0, face->ascender);
        f->win_descent = std::max<int>(0, -face->descender);
    }
    if (f->win_ascent + f->win_descent <= 0) {  // no usable metrics: a plain em box
        f->win_ascent = f->units_per_em * 4 / 5;
        f->win_descent = f->units_per_em - f->win_ascent;
    }
    // Windows' rule: the line gap that the typographic metrics leave beyond the
    // win cell becomes external leading.
    if (hhea) {
        const int typo = hhea->Ascender - hhea->Descender + hhea->Line_Gap;
        f->external_gap = std::max(0, typo - (f->win_ascent + f->win_descent));
    }
    int wc = os2 && os2->version != 0xFFFFu ? os2->usWeightClass : 0;
    if (wc < 1 || wc > 1000) wc = (face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
    f->weight_class = wc;
    f->fixed_pitch = FT_IS_FIXED_WIDTH(face);
    // PANOSE serif styles 2..10 are serifed faces; 11.. are sans.
    const bool serif = os2 && os2->version != 0xFFFFu && os2->panose[0] == 2 && os2->panose[1] >= 2 &&
                       os2->panose[1] <= 10;
    f->family = f->fixed_pitch ? FF_MODERN : serif ? FF_ROMAN : FF_SWISS;
    f->unicode_map = FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0;
    if (!f->unicode_map && face->num_charmaps > 0) FT_Set_Charmap(face, face->charmaps[0]);
}

FaceFile *open_file(const std::string &path, int index) {
    FaceSystem &s = sys();
    auto key = std::make_pair(path, index);
    if (auto it = s.files.find(key); it != s.files.end()) return it->second;
    FaceFile *f = &s.no_face;
    FT_Face face = nullptr;
    if (s.ft && FT_New_Face(s.ft, path.c_str(), index, &face) == 0) {
        if (FT_IS_SCALABLE(face)) {
            f = new FaceFile;  // kept for the process, like the FreeType face
            f->ft = face;
            f->path = path;
            f->index = index;
            read_design_metrics(f);
        } else {
            FT_Done_Face(face);
        }
    }
    if (f == &s.no_face)
        std::fprintf(stderr, "standin: cannot use font file %s; text is drawn as boxes\n", path.c_str());
    s.files.emplace(key, f);
    return f;
}

int normal_weight(int w) { return w <= 0 ? FW_NORMAL : std::min(w, 1000); }

}  // namespace

FaceChoice face_for(const std::string &name, int weight, bool italic, int pitch_family) {
    FaceSystem &s = sys();
    weight = normal_weight(weight);
    const bool mono = (pitch_family & 0x3) == FIXED_PITCH || (pitch_family & 0xF0) == FF_MODERN;
    RequestKey key{name, weight, italic, mono};
    if (auto it = s.requests.find(key); it != s.requests.end()) return it->second;

    FontMatch m;
    bool found = s.lookup_ready && font_lookup_family(name, weight, italic, &m);
    if (s.lookup_ready && !found) {
        m = FontMatch{};
        found = font_lookup_default(mono, weight, italic, &m);
    }
    FaceChoice choice;
    choice.file = found ? open_file(m.path, m.index) : &s.no_face;
    if (!found && s.lookup_ready) {
        static bool told = false;
        if (!told)
            std::fprintf(stderr, "standin: no font file found (asked for \"%s\"); text is drawn as boxes\n",
                         name.c_str());
        told = true;
    }
    if (choice.file->ft) {
        choice.embolden = weight >= 600 && !m.bold;
        choice.oblique = italic && !m.italic;
    }
    if (s.requests.size() >= kMaxCachedRequests) s.requests.clear();
    s.requests.emplace(std::move(key), choice);
    return choice;
}

}  // namespace standin
