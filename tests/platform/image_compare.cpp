// Reference-image comparison for the rasterizer tests. Relies on png_io for
// reading and writing PNG files.
#include "image_compare.h"

#include <filesystem>
#include <vector>

#include "backends/headless/png_io.h"

namespace image_compare {

std::string reference_dir() {
#ifdef STANDIN_REFERENCE_DIR
    return STANDIN_REFERENCE_DIR;
#else
    return "reference";
#endif
}

::testing::AssertionResult matches_reference(const std::string &name, const uint32_t *pixels, int width,
                                             int height, ptrdiff_t stride) {
    const std::string ref_path = reference_dir() + "/" + name + ".png";
    const std::string actual_path = name + ".actual.png";
    const std::string diff_path = name + ".diff.png";
    std::vector<uint32_t> ref;
    int rw = 0, rh = 0;
    const bool have_ref = standin::read_png(ref_path, &ref, &rw, &rh);

    size_t differing = 0;
    std::vector<uint32_t> diff(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t a = pixels[y * stride + x] & 0x00FFFFFFu;
            const bool inside = have_ref && x < rw && y < rh;
            const bool same = inside && (ref[static_cast<size_t>(y) * rw + x] & 0x00FFFFFFu) == a;
            if (!same) ++differing;
            // Faded copy of the actual image with the differing pixels in red.
            const uint32_t faded = (((a >> 16 & 0xFF) + 3 * 255) / 4) << 16 | (((a >> 8 & 0xFF) + 3 * 255) / 4) << 8 |
                                   ((a & 0xFF) + 3 * 255) / 4;
            diff[static_cast<size_t>(y) * width + x] = same ? faded : 0x00FF0000u;
        }
    }
    if (have_ref && rw == width && rh == height && differing == 0) return ::testing::AssertionSuccess();

    standin::write_png(actual_path, pixels, width, height, stride);
    standin::write_png(diff_path, diff.data(), width, height, width);
    auto failure = ::testing::AssertionFailure();
    if (!have_ref) {
        failure << "no reference image " << ref_path;
    } else if (rw != width || rh != height) {
        failure << "reference " << ref_path << " is " << rw << "x" << rh << ", the image " << width << "x" << height;
    } else {
        failure << differing << " pixels differ from " << ref_path;
    }
    failure << "\n  actual: " << std::filesystem::absolute(actual_path).string()
            << "\n  diff:   " << std::filesystem::absolute(diff_path).string();
    return failure;
}

}  // namespace image_compare
