// Writing or checking the documentation pictures. Checking compares pixels,
// not file bytes, so a different PNG encoder version does not count as drift.
#include "picture_out.h"

#include <png.h>
#include <automation.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace docpics {

namespace {

bool g_check = false;
std::string g_dir;
int g_failures = 0;

bool read_rgb_file(const std::string &path, std::vector<uint32_t> *pixels, int *width, int *height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
    std::vector<uint32_t> buffer(static_cast<size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    for (uint32_t &p : buffer) p &= 0x00FFFFFFu;
    *pixels = std::move(buffer);
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return true;
}

bool check(const std::string &path, const uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    std::vector<uint32_t> ref;
    int rw = 0, rh = 0;
    if (!read_rgb_file(path, &ref, &rw, &rh)) {
        std::fprintf(stderr, "%s: cannot read the committed picture\n", path.c_str());
        return false;
    }
    if (rw != width || rh != height) {
        std::fprintf(stderr, "%s: is %d x %d, the program draws %d x %d\n", path.c_str(), rw, rh, width, height);
        return false;
    }
    long differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (ref[static_cast<size_t>(y) * width + x] != (pixels[y * stride + x] & 0x00FFFFFFu)) ++differing;
    if (differing == 0) return true;
    std::fprintf(stderr, "%s: %ld pixels differ from what the program draws now; regenerate the pictures\n",
                 path.c_str(), differing);
    return false;
}

}  // namespace

bool parse_output_args(int argc, char **argv, int *next) {
    int i = 1;
    if (i < argc && std::strcmp(argv[i], "--check") == 0) {
        g_check = true;
        ++i;
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: %s [--check] DIR ...\n", argc > 0 ? argv[0] : "tool");
        return false;
    }
    g_dir = argv[i++];
    *next = i;
    return true;
}

bool emit_png(const std::string &name, const uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    const std::string path = g_dir + "/" + name + ".png";
    bool ok = pixels != nullptr && width > 0 && height > 0;
    if (!ok)
        std::fprintf(stderr, "%s: nothing to show\n", path.c_str());
    else if (g_check)
        ok = check(path, pixels, width, height, stride);
    else if (!standin::write_png(path, pixels, width, height, stride)) {
        std::fprintf(stderr, "%s: cannot write\n", path.c_str());
        ok = false;
    }
    if (!ok) ++g_failures;
    return ok;
}

bool read_png(const std::string &path, std::vector<uint32_t> *pixels, int *width, int *height) {
    return read_rgb_file(path, pixels, width, height);
}

int failures() { return g_failures == 0 ? 0 : 1; }

}  // namespace docpics
