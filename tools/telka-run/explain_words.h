// A pixel's history in words, from an explain dump: the same sentences the
// playground's "Pixel history" panel writes (docs/headless.md states them).
#pragma once

#include "explain_dump.h"

#include <cstdint>
#include <string>

// The history of client pixel (px, py) of the dump's frame; the pixel must
// lie inside the dump's client area. Without `name_lines` no source line is
// named (a reference program's lines are the teacher's).
std::string pixel_history_words(const standin::ExplainDump &dump, uint32_t px, uint32_t py, bool name_lines = true);

// The colour's palette name ("navy blue"), or #rrggbb when it is none.
std::string colour_words(uint32_t pixel);
