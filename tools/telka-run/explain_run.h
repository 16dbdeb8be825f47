// telka-run --explain: the history of each pixel asked for, from the
// explain dump of a second run of the program that stops at the frame.
#pragma once

#include "compare_runs.h"
#include "run_options.h"

#include <cstdint>
#include <functional>
#include <string>

struct ExplainPass {
    const RunOptions &options;
    uint64_t frames = 0;  // frames the first run showed
    // Runs the program again, explaining `frame`; returns the dump's path.
    std::function<std::string(uint64_t frame)> run;
};

// Prints each point's history on stdout; false, with a message, when the
// frame is not one the run showed or no dump came.
bool explain_pixels(const ExplainPass &pass);

// Runs `program` again, explaining `frame`; returns the dump's path.
using ExplainRerun = std::function<std::string(uint64_t frame, const std::string &program)>;

// With --expect: the first pixel of frame `frame` where the two pictures
// differ, in the program's coordinates, and its history in the student's
// run, and in the reference's when `reference` names its program, into the
// comparison. Nothing when the pictures are not both there or the run
// cannot be explained.
void explain_first_difference(uint64_t frame, const DifferingFrame &pictures, const ExplainRerun &rerun,
                              const std::string &program, const std::string &reference, Comparison *c);
