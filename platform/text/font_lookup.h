// Where a face name leads: the font file and the style it really has. The
// native build asks fontconfig (font_lookup_fontconfig.cpp); the browser
// build looks in a fixed table of the files it preloads (font_lookup_web.cpp).
#pragma once

#include <string>

namespace standin {

struct FontMatch {
    std::string path;
    int index = 0;        // face index inside the file
    bool bold = false;    // the file's own weight is demibold or heavier
    bool italic = false;  // the file is italic or oblique
};

// Starts the lookup once; false (after a message) when it cannot work.
bool font_lookup_start();

// The file of the family `name` nearest to the weight (1..1000) and slant;
// false unless that family itself is found (no substitution).
bool font_lookup_family(const std::string &name, int weight, bool italic, FontMatch *out);

// The default face of the platform: DejaVu Sans, or DejaVu Sans Mono when
// `mono`, in bold for weight >= 600.
bool font_lookup_default(bool mono, int weight, bool italic, FontMatch *out);

}  // namespace standin
