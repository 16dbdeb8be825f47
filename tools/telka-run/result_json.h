// telka-run's result of one run as JSON (--result FILE, result.json of a
// saved run): how the program ended or why the runner ended it, what the run
// showed, and the comparison with a reference run when there was one.
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
    bool text_identical = false;
    std::optional<uint64_t> first_text_line;  // 1-based, when the text differs
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

std::string result_json(const RunResult &r);

// Writes `text` to `path` through a temporary file and a rename, so a reader
// never sees half a result; false with a message on stderr.
bool write_file_atomically(const std::string &path, const std::string &text);

