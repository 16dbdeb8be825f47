// One fuzz input through the script reader, shared by the libFuzzer target
// and the corpus replay test of the regular suite.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes `data` to TELKA.SCR in a private temporary directory (entered on
// first use), switches playback on and calls the reader until it has nothing
// more to give (at most 10000 calls). Unrecognised lines are skipped as a
// user choosing Playback again would. Returns false if the reader ever
// reported an event whose kind is not mouse, key or periodic.
bool script_fuzz_one(const uint8_t *data, size_t size);
