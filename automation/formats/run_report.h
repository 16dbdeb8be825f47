// The report of a steered run (STANDIN_HEADLESS_REPORT, telka-run's
// report.txt): key=value lines saying why the run ended and its counts,
// written by the automation, read by telka-run to judge the run.
#pragma once

#include <cstdint>
#include <string>

namespace standin {

// The reason of a run that nobody asked to end.
constexpr const char *kProgramEnded = "program-ended";

struct RunReport {
    // program-ended, script-ended, seconds, frames, waiting, no-answer,
    // not-closing or no-window (backends/headless/README.md)
    std::string reason = kProgramEnded;
    bool stopped = false;     // the automation ended the process
    bool exited = false;      // the process reached exit(): its status is its own
    uint64_t events = 0;      // script events played
    uint64_t frames = 0;      // frames recorded
    uint64_t virtual_ns = 0;  // the virtual time at the end
};

// The report's text, every key on its line.
std::string run_report_text(const RunReport &report);

// The report in `text`; a key that is missing keeps its default, an unknown
// one is passed over, and a number that is not one reads as its leading
// digits. An empty reason is kProgramEnded: so is a run without a report.
RunReport parse_run_report(const std::string &text);

}  // namespace standin
