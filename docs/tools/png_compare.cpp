// Compares two PNG files pixel for pixel: the documentation checks use it on
// a committed picture and the frame telka-run kept. Exit status 0 when they
// show the same pixels, 1 when not (with how many differ, and the actual and
// diff images beside ACTUAL), 2 on bad input. Relies on image_compare.h.
#include <cstdio>
#include <string>
#include <vector>

#include "automation.h"
#include "image_compare.h"

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: docs_png_compare REFERENCE.png ACTUAL.png\n");
        return 2;
    }
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    if (!standin::read_png(argv[2], &pixels, &w, &h)) {
        std::fprintf(stderr, "docs_png_compare: cannot read %s\n", argv[2]);
        return 2;
    }
    std::string stem = argv[2];
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".png") == 0) stem.resize(stem.size() - 4);
    const image_compare::Result r = image_compare::against_reference(argv[1], pixels.data(), w, h, w, stem);
    if (r.same()) return 0;
    std::fprintf(stderr, "%s\n", r.message.c_str());
    if (r.kind == image_compare::Result::NoReference) return 2;
    std::fprintf(stderr, "  the program draws %s now; if the change is meant, regenerate the pictures\n", argv[2]);
    return 1;
}
