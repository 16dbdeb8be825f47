// The reference-picture comparison shared by tests and the documentation
// tools. Relies on automation_png for reading and writing PNG files.
#include "image_compare.h"

#include <filesystem>
#include <vector>

#include "automation.h"

namespace image_compare {

namespace {

// A quarter of the pixel, three quarters white: the picture stays readable
// behind the red of what differs.
uint32_t faded(uint32_t a) {
    return (((a >> 16 & 0xFF) + 3 * 255) / 4) << 16 | (((a >> 8 & 0xFF) + 3 * 255) / 4) << 8 |
           ((a & 0xFF) + 3 * 255) / 4;
}

std::string absolute(const std::string &path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.string();
}

}  // namespace

Result against_reference(const std::string &reference, const uint32_t *pixels, int width, int height,
                         ptrdiff_t stride, const std::string &out_stem) {
    Result result;
    if (!pixels || width <= 0 || height <= 0 || stride < width) {
        result.kind = Result::Differs;
        result.message = reference + ": nothing to compare with it";
        return result;
    }
    std::vector<uint32_t> ref;
    int rw = 0, rh = 0;
    const bool have_ref = standin::read_png(reference, &ref, &rw, &rh);

    std::vector<uint32_t> diff(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t a = pixels[y * stride + x] & 0x00FFFFFFu;
            const bool same = have_ref && x < rw && y < rh && ref[static_cast<size_t>(y) * rw + x] == a;
            if (!same) ++result.differing;
            diff[static_cast<size_t>(y) * width + x] = same ? faded(a) : 0x00FF0000u;
        }
    }
    if (have_ref && rw == width && rh == height && result.differing == 0) {
        result.kind = Result::Same;
        return result;
    }

    const std::string actual_path = out_stem + ".actual.png", diff_path = out_stem + ".diff.png";
    const bool written = standin::write_png(actual_path, pixels, width, height, stride) &&
                         standin::write_png(diff_path, diff.data(), width, height, width);
    if (!have_ref) {
        result.kind = Result::NoReference;
        result.message = reference + ": cannot read it";
    } else {
        result.kind = Result::Differs;
        result.message = rw != width || rh != height
                             ? reference + ": is " + std::to_string(rw) + " x " + std::to_string(rh) + ", the picture " +
                                   std::to_string(width) + " x " + std::to_string(height)
                             : reference + ": " + std::to_string(result.differing) + " pixels differ";
    }
    if (written) {
        result.message += "\n  actual: " + absolute(actual_path) + "\n  diff:   " + absolute(diff_path);
    } else {
        result.message += "\n  (could not write " + actual_path + " or " + diff_path + ")";
    }
    return result;
}

}  // namespace image_compare
