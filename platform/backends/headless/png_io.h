// PNG files of 0x00RRGGBB pixel buffers: frame dumps of the headless backend
// and reference images of the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// Writes an opaque RGB PNG; false (with nothing left half-written) on failure.
bool write_png(const std::string &path, const uint32_t *pixels, int width, int height, ptrdiff_t stride);

// Reads any PNG into 0x00RRGGBB pixels (alpha dropped); false on failure.
bool read_png(const std::string &path, std::vector<uint32_t> *pixels, int *width, int *height);

}  // namespace standin
