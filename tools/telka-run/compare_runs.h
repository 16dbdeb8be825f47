// Comparing a run with a saved reference run: frame by frame, exactly, and
// the text window's lines; finds the first frame that differs and the
// drawing calls of that frame on both sides. Relies on automation_png.
#pragma once

#include "run_result.h"

#include <cstdint>
#include <string>
#include <vector>

struct FrameImage {
    bool present = false;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    int width = 0;
    int height = 0;
};

// The pictures of the first differing frame.
struct DifferingFrame {
    FrameImage expected;
    FrameImage actual;
};

// Compares the saved run in `actual_dir` (which ended as `run` says) with the
// reference in `expected_dir`. False with `*error` when the reference cannot
// be read (no record.tsv, a record line it cannot take, a frame that is not a
// readable PNG): the run cannot be judged. An actual run with missing files
// simply differs.
bool compare_runs(const std::string &expected_dir, const std::string &actual_dir, const RunResult &run, Comparison *out,
                  DifferingFrame *frame, std::string *error);

// "frame 70" as a student counts it: "the 68th the program drew" when frames
// came before its first drawing, "before the program's first drawing" for
// one of those; empty when the numbers agree or nothing was drawn.
std::string drawn_frame_words(uint64_t frame, const std::optional<uint64_t> &frames_before_drawing);

// How `run` ended, as the end of a sentence about its `frames` frames: "the
// program ended after frame 12", "the program was stopped at the time limit
// after frame 12".
std::string run_end_words(const RunResult &run, uint64_t frames);

// Writes expected.png, actual.png and diff.png (differing pixels in a strong
// colour over a faded actual) of the pictures there are into `dir`.
bool write_difference_images(const DifferingFrame &frame, const std::string &dir, std::string *error);
