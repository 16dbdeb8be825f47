// Writing and reading a steered run's record (run_record.h). The escapes
// keep every line one line of tab-separated fields whatever a call's or an
// event's text holds.
#include "run_record.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace standin {

namespace {

// Backslash, tab, newline and carriage return as \\ \t \n \r.
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

std::string unescaped(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string> split_tabs(const std::string &line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool parse_number(const std::string &text, uint64_t *out) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    *out = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

}  // namespace

std::string record_call_line(const char *text, size_t length, int64_t line, const std::string &file) {
    std::string out = "call\t" + escaped(text, length);
    if (line > 0) out += "\t" + std::to_string(line) + "\t" + escaped(file.data(), file.size());
    return out + "\n";
}

std::string record_frame_line(uint64_t number, int64_t ns, int64_t script_line, const std::string &event) {
    char numbers[80];
    std::snprintf(numbers, sizeof numbers, "frame\t%llu\t%lld\t%lld\t", static_cast<unsigned long long>(number),
                  static_cast<long long>(ns), static_cast<long long>(script_line));
    return numbers + escaped(event.data(), event.size()) + "\n";
}

bool parse_run_record(const std::string &text, const std::string &name, RunRecord *out, std::string *error) {
    std::istringstream in(text);
    *out = RunRecord{};
    std::vector<std::string> pending;
    std::vector<CallSite> pending_sites;
    std::string line;
    uint64_t line_number = 0;
    bool ended = false;
    while (std::getline(in, line)) {
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::string> f = split_tabs(line);
        const auto bad = [&](const char *why) {
            *error = name + ":" + std::to_string(line_number) + ": " + why;
            return false;
        };
        if (f[0] == "call") {
            CallSite site;
            if ((f.size() != 2 && f.size() != 4) || (f.size() == 4 && (!parse_number(f[2], &site.line) || site.line == 0)))
                return bad("a call line is 'call<TAB>TEXT' or 'call<TAB>TEXT<TAB>LINE<TAB>FILE'");
            if (f.size() == 4) site.file = unescaped(f[3]);
            (ended ? out->end_calls : pending).push_back(unescaped(f[1]));
            (ended ? out->end_sites : pending_sites).push_back(std::move(site));
        } else if (f[0] == "frame") {
            RecordFrame frame;
            if (f.size() != 5 || !parse_number(f[1], &frame.number) || !parse_number(f[2], &frame.ns) ||
                !parse_number(f[3], &frame.script_line))
                return bad("a frame line is 'frame<TAB>N<TAB>NS<TAB>LINE<TAB>EVENT'");
            if (frame.number != out->frames.size() + 1) return bad("frames are not numbered 1, 2, 3, ...");
            if (ended) return bad("a frame after the end line");
            frame.event = unescaped(f[4]);
            frame.calls = std::move(pending);
            frame.sites = std::move(pending_sites);
            pending.clear();
            pending_sites.clear();
            out->frames.push_back(std::move(frame));
        } else if (f[0] == "end") {
            ended = true;
            out->end_calls = std::move(pending);
            out->end_sites = std::move(pending_sites);
            pending.clear();
            pending_sites.clear();
        } else {
            return bad("not a frame, call or end line");
        }
    }
    if (!ended) {
        out->end_calls = std::move(pending);
        out->end_sites = std::move(pending_sites);
    }
    return true;
}

}  // namespace standin
