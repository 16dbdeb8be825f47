// The record of a steered run (STANDIN_HEADLESS_RECORD, a saved run's
// record.tsv): tab-separated lines, a drawing call each (with its source
// line and file when known), then the frame
// line those calls belong to, and an end line at the program's exit.
// Written by the automation as the run goes, read by telka-run to compare
// two runs. Texts have \ tab newline and carriage return escaped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// Where a drawing call was made in the program's source, when known.
struct CallSite {
    uint64_t line = 0;  // 0: not known
    std::string file;
};

struct RecordFrame {
    uint64_t number = 0;             // as in frames/frame-NNNNNN.png
    uint64_t ns = 0;                 // virtual time
    uint64_t script_line = 0;        // 0: no script line played yet
    std::string event;               // that line's text
    std::vector<std::string> calls;  // drawing calls made since the previous frame
    std::vector<CallSite> sites;     // one per call
};

struct RunRecord {
    std::vector<RecordFrame> frames;
    std::vector<std::string> end_calls;  // after the last frame
    std::vector<CallSite> end_sites;
};

// The lines, each with its newline: a drawing call's, a frame's (`ns` and
// `script_line` are never negative) and the end.
// A call line carries its site when the line is known.
std::string record_call_line(const char *text, size_t length, int64_t line = 0, const std::string &file = "");
std::string record_frame_line(uint64_t number, int64_t ns, int64_t script_line, const std::string &event);
constexpr const char *kRecordEndLine = "end\t\n";

// Reads the record in `text`; false with `*error` naming `name` and the line
// when a line is not one of the record's. A record cut short (its program
// killed) has no end line: the calls after its last frame are its end calls.
bool parse_run_record(const std::string &text, const std::string &name, RunRecord *out, std::string *error);

}  // namespace standin
