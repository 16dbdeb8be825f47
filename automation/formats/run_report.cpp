// Writing and reading a steered run's report (run_report.h): one key=value
// line each, in a fixed order; the reader takes them in any order, the
// last of a key counting.
#include "run_report.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace standin {

std::string run_report_text(const RunReport &r) {
    char counts[160];
    std::snprintf(counts, sizeof counts, "stopped=%d\nexited=%d\nevents=%llu\nframes=%llu\nvirtual_ns=%llu\n",
                  r.stopped ? 1 : 0, r.exited ? 1 : 0, static_cast<unsigned long long>(r.events),
                  static_cast<unsigned long long>(r.frames), static_cast<unsigned long long>(r.virtual_ns));
    return "reason=" + r.reason + "\n" + counts;
}

RunReport parse_run_report(const std::string &text) {
    RunReport r;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        const uint64_t number = std::strtoull(value.c_str(), nullptr, 10);
        if (key == "reason")
            r.reason = value;
        else if (key == "stopped")
            r.stopped = number == 1;
        else if (key == "exited")
            r.exited = number == 1;
        else if (key == "events")
            r.events = number;
        else if (key == "frames")
            r.frames = number;
        else if (key == "virtual_ns")
            r.virtual_ns = number;
    }
    if (r.reason.empty()) r.reason = kProgramEnded;
    return r;
}

}  // namespace standin
