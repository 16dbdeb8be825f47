// One fuzz input through the drawing operations, shared by the libFuzzer
// target and the corpus replay test of the regular suite.
#pragma once

#include <cstddef>
#include <cstdint>

// The first byte's low bit switches logging on (every operation then writes
// its line to the text window's ring), its next bit has both windows painted
// after the operations. The rest is a list of at most 64 operations, each an
// operation byte followed by its arguments:
//   int32: a mode byte, then 1, 2 or 4 bytes (int8, int16, int32 little-endian)
//          or an index into the edge values (INT32_MIN, INT32_MAX, 0, -1, ...);
//   text:  a length byte (255: two more bytes of length), then the bytes;
//          embedded zeros end the text early, like a C string.
// Every operation of telka.h that draws, measures or writes text is there,
// in both its integer and its Point form; formatted texts take the bytes as
// data of "%s" or of one fixed format. Bytes missing at the end read as 0.
// Opens the library on the headless backend on first use, with small windows
// and back buffer; each input starts with an empty text window. Returns false if
// an operation returned what it must not (a count other than the text's
// length, a negative size) or the text ring lost its shape.
bool draw_fuzz_one(const uint8_t *data, size_t size);
