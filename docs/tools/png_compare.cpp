// Compares two PNG files pixel for pixel: the documentation checks use it on
// a committed picture and the frame telka-run kept. Exit status 0 when they
// show the same pixels, 1 when not (with how many differ), 2 on bad input.
#include <cstdio>
#include <vector>

#include "picture_out.h"

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: docs_png_compare REFERENCE.png ACTUAL.png\n");
        return 2;
    }
    std::vector<uint32_t> a, b;
    int aw = 0, ah = 0, bw = 0, bh = 0;
    if (!docpics::read_png(argv[1], &a, &aw, &ah) || !docpics::read_png(argv[2], &b, &bw, &bh)) {
        std::fprintf(stderr, "docs_png_compare: cannot read %s or %s\n", argv[1], argv[2]);
        return 2;
    }
    if (aw != bw || ah != bh) {
        std::fprintf(stderr, "%s: is %d x %d, the program draws %d x %d\n", argv[1], aw, ah, bw, bh);
        return 1;
    }
    long differing = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) ++differing;
    if (differing == 0) return 0;
    std::fprintf(stderr, "%s: %ld pixels differ from what the program draws now (%s); regenerate the pictures\n",
                 argv[1], differing, argv[2]);
    return 1;
}
