// Reading a saved run's record and report, and moving the files a program
// wrote in its folder to where telka-run keeps them. Relies on the record's
// layout: tab-separated, with \\ \t \n \r escaped in texts.
#include "saved_run.h"

#include "plain_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string unescape(const std::string &text) {
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

bool read_record(const std::string &path, RunRecord *out, std::string *error) {
    std::string text;
    if (read_plain_file(path, kLargestRecord, false, false, &text, error) != PlainFile::read) return false;
    std::istringstream in(text);
    *out = RunRecord{};
    std::vector<std::string> pending;
    std::string line;
    uint64_t line_number = 0;
    bool ended = false;
    while (std::getline(in, line)) {
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::string> f = split_tabs(line);
        const auto bad = [&](const char *why) {
            *error = path + ":" + std::to_string(line_number) + ": " + why;
            return false;
        };
        if (f[0] == "call") {
            if (f.size() != 2) return bad("a call line is 'call<TAB>TEXT'");
            (ended ? out->end_calls : pending).push_back(unescape(f[1]));
        } else if (f[0] == "frame") {
            RecordFrame frame;
            if (f.size() != 5 || !parse_number(f[1], &frame.number) || !parse_number(f[2], &frame.ns) ||
                !parse_number(f[3], &frame.script_line))
                return bad("a frame line is 'frame<TAB>N<TAB>NS<TAB>LINE<TAB>EVENT'");
            if (frame.number != out->frames.size() + 1) return bad("frames are not numbered 1, 2, 3, ...");
            if (ended) return bad("a frame after the end line");
            frame.event = unescape(f[4]);
            frame.calls = std::move(pending);
            pending.clear();
            out->frames.push_back(std::move(frame));
        } else if (f[0] == "end") {
            ended = true;
            out->end_calls = std::move(pending);
            pending.clear();
        } else {
            return bad("not a frame, call or end line");
        }
    }
    // A run cut short (killed at a limit) has calls but no end line.
    if (!ended) out->end_calls = std::move(pending);
    return true;
}

std::map<std::string, std::string> read_report(const std::string &path) {
    std::map<std::string, std::string> values;
    std::string text, why;
    read_plain_file(path, kLargestReport, false, true, &text, &why);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

std::vector<std::string> read_lines(const std::string &path, size_t limit) {
    std::vector<std::string> lines;
    std::string text, why;
    if (read_plain_file(path, kLargestText, false, true, &text, &why) == PlainFile::refused)
        std::fprintf(stderr, "telka-run: %s\n", why.c_str());
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(std::move(line));
        if (limit && lines.size() > 2 * limit) lines.erase(lines.begin(), lines.end() - limit);
    }
    if (limit && lines.size() > limit) lines.erase(lines.begin(), lines.end() - limit);
    return lines;
}

std::string frame_file(const std::string &run_dir, uint64_t n) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(n));
    return run_dir + "/" + kFramesDir + "/" + name;
}

bool move_path(const std::string &from, const std::string &to) {
    std::error_code ec;
    fs::remove_all(to, ec);
    fs::rename(from, to, ec);
    if (!ec) return true;
    ec.clear();
    fs::copy(from, to, fs::copy_options::recursive, ec);
    if (ec) return false;
    fs::remove_all(from, ec);
    return true;
}
