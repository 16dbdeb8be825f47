// The record and the report of a steered run, in the formats of
// run_record.h and run_report.h. The record (STANDIN_HEADLESS_RECORD) is
// written as the run goes: each drawing call the library announces, then
// the frame line those calls belong to (frames counted by the frame dumps,
// so frame N is frame-NNNNNN.png), and an end line at exit holding the
// calls after the last frame. The report (STANDIN_HEADLESS_REPORT) is
// rewritten whole when the run control ends the run and again at exit.
#include "automation.h"

#include "run_record.h"
#include "run_report.h"
#include "steered_run.h"

#include <cstdio>
#include <cstdlib>

namespace standin {

namespace {

struct Recorder {
    FILE *record = nullptr;   // null: no record
    std::string report_path;  // empty: no report
    RunReport report;         // its counts so far; the virtual time is taken when it is written
    int64_t line = 0;         // script line of the last event; 0: none yet
    std::string line_text;    // its text
    bool exit_hooked = false;
};

// Never destroyed: the exit handler runs while static objects may be gone.
Recorder &state() {
    static Recorder *r = new Recorder;
    return *r;
}

void on_call(const CallAnnouncement &call) {
    Recorder &r = state();
    if (!r.record) return;
    const std::string line =
        record_call_line(call.text, call.length, call.line, std::string(call.file ? call.file : "", call.file_length));
    std::fwrite(line.data(), 1, line.size(), r.record);
}

void on_script_line(int64_t number, const char *text, size_t length) {
    Recorder &r = state();
    ++r.report.events;
    r.line = number;
    r.line_text.assign(text, length);
}

// Written beside the report and renamed over it, so a reader never sees half
// a report.
void write_report() {
    Recorder &r = state();
    if (r.report_path.empty()) return;
    r.report.virtual_ns = static_cast<uint64_t>(headless_now_ns());
    const std::string text = run_report_text(r.report);
    const std::string part = r.report_path + ".part";
    FILE *f = std::fopen(part.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "headless: cannot write the report '%s'\n", r.report_path.c_str());
        return;
    }
    std::fwrite(text.data(), 1, text.size(), f);
    const bool written = std::fclose(f) == 0;
    if (!written || std::rename(part.c_str(), r.report_path.c_str()) != 0) {
        std::fprintf(stderr, "headless: cannot write the report '%s'\n", r.report_path.c_str());
        std::remove(part.c_str());
    }
}

// At exit, after the backend's shutdown (registered later, so run earlier):
// the calls since the last frame get their end line, and the report its
// final counts.
void finish() {
    Recorder &r = state();
    r.report.exited = true;
    if (r.record) {
        std::fputs(kRecordEndLine, r.record);
        std::fclose(r.record);
        r.record = nullptr;
    }
    write_report();
}

void hook_exit() {
    Recorder &r = state();
    if (r.exit_hooked) return;
    r.exit_hooked = true;
    std::atexit(finish);
    trace_sinks().record_call = on_call;
    trace_sinks().script_line = on_script_line;
}

}  // namespace

bool start_run_record(const std::string &path) {
    Recorder &r = state();
    if (r.record) std::fclose(r.record);
    r.record = std::fopen(path.c_str(), "wb");
    if (!r.record) {
        std::fprintf(stderr, "headless: cannot write the record '%s'; the run is not recorded\n", path.c_str());
        return false;
    }
    hook_exit();
    return true;
}

bool start_run_report(const std::string &path) {
    state().report_path = path;
    hook_exit();
    // Made at once, so a path that cannot be written is told at the start.
    FILE *f = std::fopen((path + ".part").c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "headless: cannot write the report '%s'; there is none\n", path.c_str());
        state().report_path.clear();
        return false;
    }
    std::fclose(f);
    std::remove((path + ".part").c_str());
    return true;
}

void record_frame(uint64_t number) {
    Recorder &r = state();
    r.report.frames = number;
    if (!r.record) return;
    const std::string line = record_frame_line(number, headless_now_ns(), r.line, r.line_text);
    std::fwrite(line.data(), 1, line.size(), r.record);
    std::fflush(r.record);
}

void record_run_end(const char *reason, bool stopped) {
    Recorder &r = state();
    r.report.reason = reason;
    r.report.stopped = stopped;
    if (r.record) std::fflush(r.record);
    write_report();
}

}  // namespace standin
