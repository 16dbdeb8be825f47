// Compares pixels with a reference PNG: the one check behind the rasterizer's
// reference pictures, the documentation pictures and docs_png_compare. On a
// mismatch it writes STEM.actual.png and STEM.diff.png (differing pixels red,
// the rest faded) and names both, so a changed picture can be inspected and,
// once judged right, copied over the reference. Relies on automation_png.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace image_compare {

struct Result {
    enum Kind { Same, Differs, NoReference } kind = NoReference;
    long differing = 0;   // pixels, counting those outside a reference of another size
    std::string message;  // empty when Same: what differs, and where the two images went
    bool same() const { return kind == Same; }
};

// Compares `pixels` (0x00RRGGBB, `stride` per row; the top byte is ignored)
// with the PNG at `reference`. Unless they match, writes `out_stem`.actual.png
// and `out_stem`.diff.png.
Result against_reference(const std::string &reference, const uint32_t *pixels, int width, int height,
                         ptrdiff_t stride, const std::string &out_stem);

}  // namespace image_compare
