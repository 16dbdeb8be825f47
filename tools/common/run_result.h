// The result of one telka-run run as JSON (--result FILE, result.json of a
// saved run): how the program ended or why the runner ended it, what the run
// showed, and the comparison with a reference run when there was one.
// telka-run writes it; telka-grade reads it to mark a test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Comparison {
    bool identical = false;
    std::optional<uint64_t> first_frame;
    uint64_t frames_expected = 0;
    uint64_t frames_actual = 0;
    std::optional<double> virtual_seconds;
    std::optional<uint64_t> script_line;
    std::optional<std::string> script_text;
    std::optional<uint64_t> first_call;  // 1-based, in that frame
    // Frames shown before the first one that shows a drawing call (the
    // window's first showing, its menu bar), in the run whose frame
    // first_frame names; null when that run drew nothing. A student counts
    // from the first drawn frame: first_frame minus this.
    std::optional<uint64_t> frames_before_drawing;
    std::vector<std::string> expected_calls;
    std::vector<std::string> actual_calls;
    // The student's source line of the first differing call, when known.
    std::optional<uint64_t> first_call_line;
    // The first differing pixel of that frame, in the program's coordinates,
    // and its history in the student's run (the words of telka-run --explain).
    std::optional<int64_t> first_pixel_x, first_pixel_y;
    std::optional<std::string> actual_pixel_history;
    std::optional<std::string> expected_pixel_history;  // in the reference's run, without its lines
    bool text_identical = false;
    std::optional<uint64_t> first_text_line;  // 1-based, when the text differs (the report says it; the JSON not)
    std::string summary;
    std::optional<std::string> report;  // path of report.html
};

struct RunResult {
    std::string program;
    std::string status;  // ended, exited, crashed, time-limit, no-answer, stopped, not-started
    std::string reason;
    std::optional<int> exit_status;
    std::optional<int> signal;
    std::optional<std::string> signal_name;
    uint64_t events = 0;
    uint64_t frames = 0;
    double virtual_seconds = 0;
    double wall_seconds = 0;
    std::vector<std::string> text_tail;
    std::optional<Comparison> comparison;
};

// The result as JSON: its keys in a fixed order, seconds to the
// millisecond, every string escaped and made valid UTF-8 (a program's text
// may hold any bytes).
std::string result_json(const RunResult &result);

// Reads a result back; false with `*error` saying why when `text` is not
// one. A key that is missing or null keeps its default.
bool parse_result_json(const std::string &text, RunResult *out, std::string *error);
