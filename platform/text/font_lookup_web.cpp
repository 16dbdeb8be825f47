// Face names to font files in the browser, which has no fontconfig: a fixed
// table of the DejaVu files that the page preloads into /fonts (the list
// in cmake/web.cmake). Family names compare without case, as fontconfig's do.
#include "text/font_lookup.h"

#include <strings.h>

namespace standin {

namespace {

constexpr const char *kFontDir = "/fonts/";

// Files by style. Italics are left to FreeType's slant (FontMatch says what
// the file really is): the page loads a megabyte less, and the library draws
// no italic text.
struct Family {
    const char *name;
    const char *regular;
    const char *bold;
    const char *italic;
    const char *bold_italic;
};

constexpr Family kFamilies[] = {
    {"DejaVu Sans", "DejaVuSans.ttf", "DejaVuSans-Bold.ttf", nullptr, nullptr},
    {"DejaVu Sans Mono", "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf", nullptr, nullptr},
    {"DejaVu Serif", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf", nullptr, nullptr},
};

void pick(const Family &f, int weight, bool italic, FontMatch *out) {
    const bool bold = weight >= 600;
    const char *file = f.regular;
    out->bold = out->italic = false;
    if (bold && italic && f.bold_italic) {
        file = f.bold_italic;
        out->bold = out->italic = true;
    } else if (bold && f.bold) {
        file = f.bold;
        out->bold = true;
    } else if (italic && f.italic) {
        file = f.italic;
        out->italic = true;
    }
    out->path = std::string(kFontDir) + file;
    out->index = 0;
}

}  // namespace

bool font_lookup_start() { return true; }

bool font_lookup_family(const std::string &name, int weight, bool italic, FontMatch *out) {
    for (const Family &f : kFamilies) {
        if (strcasecmp(f.name, name.c_str()) == 0) {
            pick(f, weight, italic, out);
            return true;
        }
    }
    return false;
}

bool font_lookup_default(bool mono, int weight, bool italic, FontMatch *out) {
    pick(mono ? kFamilies[1] : kFamilies[0], weight, italic, out);
    return true;
}

}  // namespace standin
