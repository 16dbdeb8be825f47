// Face names to font files through fontconfig, as the desktop resolves them:
// a family must answer to the name asked for, or the caller falls back to
// the default faces. fontconfig starts on the first lookup.
#include "text/font_lookup.h"

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <vector>

namespace standin {

namespace {

double number(FcPattern *p, const char *object, double fallback) {
    int i = 0;
    double d = 0;
    if (FcPatternGetInteger(p, object, 0, &i) == FcResultMatch) return i;
    if (FcPatternGetDouble(p, object, 0, &d) == FcResultMatch) return d;
    return fallback;
}

// The best match for a list of families; `name`, when given, must be one of
// the matched font's family names.
bool fc_match(const std::vector<std::string> &families, double fc_weight, bool italic, const char *name,
              FontMatch *out) {
    FcPattern *pat = FcPatternCreate();
    if (!pat) return false;
    for (const std::string &f : families)
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8 *>(f.c_str()));
    FcPatternAddDouble(pat, FC_WEIGHT, fc_weight);
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern *m = FcFontMatch(nullptr, pat, &result);
    FcPatternDestroy(pat);
    if (!m) return false;
    FcChar8 *file = nullptr;
    bool ok = FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch && file;
    if (ok && name) {
        ok = false;
        FcChar8 *fam = nullptr;
        for (int i = 0; !ok && FcPatternGetString(m, FC_FAMILY, i, &fam) == FcResultMatch; ++i)
            ok = FcStrCmpIgnoreCase(fam, reinterpret_cast<const FcChar8 *>(name)) == 0;
    }
    if (ok) {
        out->path = reinterpret_cast<const char *>(file);
        out->index = static_cast<int>(number(m, FC_INDEX, 0));
        out->bold = number(m, FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_DEMIBOLD;
        out->italic = static_cast<int>(number(m, FC_SLANT, FC_SLANT_ROMAN)) != FC_SLANT_ROMAN;
    }
    FcPatternDestroy(m);
    return ok;
}

}  // namespace

bool font_lookup_start() {
    static const bool ready = [] {
        const bool ok = FcInit() == FcTrue;
        if (!ok) std::fprintf(stderr, "standin: fontconfig failed to start; text is drawn as boxes\n");
        return ok;
    }();
    return ready;
}

bool font_lookup_family(const std::string &name, int weight, bool italic, FontMatch *out) {
    return font_lookup_start() && !name.empty() &&
           fc_match({name}, FcWeightFromOpenType(weight), italic, name.c_str(), out);
}

bool font_lookup_default(bool mono, int weight, bool italic, FontMatch *out) {
    if (!font_lookup_start()) return false;
    // Fixed choices keep the fallback the same on every machine that has DejaVu.
    const double w = weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    return mono ? fc_match({"DejaVu Sans Mono", "monospace"}, w, italic, nullptr, out)
                : fc_match({"DejaVu Sans", "sans-serif"}, w, italic, nullptr, out);
}

}  // namespace standin
