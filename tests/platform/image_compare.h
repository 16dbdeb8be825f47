// Compares a test's pixels with a reference PNG kept in
// tests/platform/reference/. On a mismatch it writes NAME.actual.png and
// NAME.diff.png (differing pixels red, the rest faded) into the working
// directory and names both files in the failure message, so a changed
// picture can be inspected and, once judged right, copied over the reference.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace image_compare {

// Directory of the reference images (set by the build).
std::string reference_dir();

::testing::AssertionResult matches_reference(const std::string &name, const uint32_t *pixels, int width,
                                             int height, ptrdiff_t stride);

}  // namespace image_compare
