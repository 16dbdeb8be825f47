// The record and the report of a steered run. The record
// (STANDIN_HEADLESS_RECORD) is tab-separated lines written as the run goes:
// each drawing call the library announces, then the frame line those calls
// belong to (frames counted by the frame dumps, so frame N is
// frame-NNNNNN.png), and an end line at exit holding the calls after the
// last frame. The report (STANDIN_HEADLESS_REPORT) is key=value lines,
// rewritten whole when the run control ends the run and again at exit.
#include "automation.h"

#include "steered_run.h"

#include <cstdio>
#include <cstdlib>

namespace standin {

namespace {

struct RunRecord {
    FILE *record = nullptr;   // null: no record
    std::string report_path;  // empty: no report
    uint64_t events = 0;      // script events announced
    uint64_t frames = 0;      // frames counted and kept
    int64_t line = 0;         // script line of the last event; 0: none yet
    std::string line_text;    // its text, escaped
    std::string reason;       // why the run ended; empty: nobody ended it
    bool stopped = false;     // the automation ended the process
    bool exited = false;      // the process reached exit(): its status is its own
    bool exit_hooked = false;
};

// Never destroyed: the exit handler runs while static objects may be gone.
RunRecord &state() {
    static RunRecord *r = new RunRecord;
    return *r;
}

// Backslash, tab, newline and carriage return as \\ \t \n \r, so every
// record line is one line of tab-separated fields.
std::string escaped(const char *text, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        switch (text[i]) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += text[i];
        }
    }
    return out;
}

void on_call(const char *text, size_t length) {
    RunRecord &r = state();
    if (!r.record) return;
    const std::string line = "call\t" + escaped(text, length) + "\n";
    std::fwrite(line.data(), 1, line.size(), r.record);
}

void on_script_line(int64_t number, const char *text, size_t length) {
    RunRecord &r = state();
    ++r.events;
    r.line = number;
    r.line_text = escaped(text, length);
}

// Written beside the report and renamed over it, so a reader never sees half
// a report.
void write_report() {
    RunRecord &r = state();
    if (r.report_path.empty()) return;
    const std::string part = r.report_path + ".part";
    FILE *f = std::fopen(part.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "headless: cannot write the report '%s'\n", r.report_path.c_str());
        return;
    }
    std::fprintf(f, "reason=%s\nstopped=%d\nexited=%d\nevents=%llu\nframes=%llu\nvirtual_ns=%lld\n",
                 r.reason.empty() ? "program-ended" : r.reason.c_str(), r.stopped ? 1 : 0, r.exited ? 1 : 0,
                 static_cast<unsigned long long>(r.events), static_cast<unsigned long long>(r.frames),
                 static_cast<long long>(headless_now_ns()));
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
    RunRecord &r = state();
    r.exited = true;
    if (r.record) {
        std::fputs("end\t\n", r.record);
        std::fclose(r.record);
        r.record = nullptr;
    }
    write_report();
}

void hook_exit() {
    RunRecord &r = state();
    if (r.exit_hooked) return;
    r.exit_hooked = true;
    std::atexit(finish);
    channel_set_record_sinks(on_call, on_script_line);
}

}  // namespace

bool start_run_record(const std::string &path) {
    RunRecord &r = state();
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
    RunRecord &r = state();
    r.frames = number;
    if (!r.record) return;
    std::fprintf(r.record, "frame\t%llu\t%lld\t%lld\t%s\n", static_cast<unsigned long long>(number),
                 static_cast<long long>(headless_now_ns()), static_cast<long long>(r.line), r.line_text.c_str());
    std::fflush(r.record);
}

void record_run_end(const char *reason, bool stopped) {
    RunRecord &r = state();
    r.reason = reason;
    r.stopped = stopped;
    if (r.record) std::fflush(r.record);
    write_report();
}

}  // namespace standin
