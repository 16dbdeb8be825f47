// Reading a saved run's record and report, bounded, and moving the files a
// program wrote in its folder to where telka-run keeps them, or writing
// them there whole.
#include "saved_run.h"

#include "plain_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

bool read_record(const std::string &path, RunRecord *out, std::string *error) {
    std::string text;
    if (read_plain_file(path, kLargestRecord, false, false, &text, error) != PlainFile::read) return false;
    return standin::parse_run_record(text, path, out, error);
}

RunReport read_report(const std::string &path) {
    std::string text, why;
    read_plain_file(path, kLargestReport, false, true, &text, &why);
    return standin::parse_run_report(text);
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

bool write_file_atomically(const std::string &path, const std::string &text) {
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::fprintf(stderr, "telka-run: cannot write '%s'\n", path.c_str());
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "telka-run: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
