// One fuzz input through the script reader, shared by the libFuzzer target
// and the corpus replay test of the regular suite.
#pragma once

#include <cstddef>
#include <cstdint>

// Opens `data` as the script file (from memory, read-only), switches
// playback on and calls the reader until it has nothing more to give (at
// most 2 * size + 64 calls, and never more than 10000). Unrecognised lines are skipped as a user choosing
// Playback again would. Returns false if the reader ever reported an event
// whose kind is not mouse, key or periodic.
bool script_fuzz_one(const uint8_t *data, size_t size);
