// Where the documentation pictures go: written as PNG files into a folder,
// or, in check mode, compared pixel for pixel with the PNG files already
// there, so a test can tell when the committed pictures have drifted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace docpics {

// Reads "[--check] DIR" from the command line; false (with a usage message)
// when DIR is missing. Returns the index of the first argument after DIR.
bool parse_output_args(int argc, char **argv, int *next);

// Writes DIR/NAME.png, or compares it; false (with a message) on failure or
// on a difference.
bool emit_png(const std::string &name, const uint32_t *pixels, int width, int height, ptrdiff_t stride);

// Non-zero when any emit_png failed: the tools' exit status.
int failures();

}  // namespace docpics
