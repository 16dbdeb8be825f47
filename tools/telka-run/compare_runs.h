// Comparing a run with a saved reference run: frame by frame, exactly, and
// the text window's lines; finds the first frame that differs and the
// drawing calls of that frame on both sides. Relies on automation_png.
#pragma once

#include "result_json.h"

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

// Compares the saved run in `actual_dir` with the reference in `expected_dir`.
// False with `*error` when the reference cannot be read (no record.tsv, a
// record line it cannot take, a frame that is not a readable PNG): the run
// cannot be judged. An actual run with missing files simply differs.
bool compare_runs(const std::string &expected_dir, const std::string &actual_dir, Comparison *out,
                  DifferingFrame *frame, std::string *error);

// Writes expected.png, actual.png and diff.png (differing pixels in a strong
// colour over a faded actual) of the pictures there are into `dir`.
bool write_difference_images(const DifferingFrame &frame, const std::string &dir, std::string *error);
