// Preparing the played script. The file is opened by the library's own
// routine (library/src/script_file.cpp), so what Ctrl+P refuses telka-run
// refuses too. Without --max-events it is copied byte
// for byte, so it plays exactly as it would under Ctrl+P. To cut a script
// short the lines are read as the library reads them: the seventh
// character says the kind (M, K or P), a PERIODIC(n) line stands for n
// events, blank lines are skipped, a last line without its new line is never
// played, and a line of any other kind ends the playback.
#include "script_prep.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "script_file.h"

namespace {

// Read as the library reads TELKA.SCR (only a regular file, opened without
// blocking), and no more than kMaxScriptBytes of it: a sparse or growing file
// must not fill the disk or the memory before the program starts.
bool read_file(const std::string &path, std::string *out) {
    FILE *in = script_file_open(path.c_str(), false);
    if (!in) {
        const int error = errno;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            std::fprintf(stderr, "telka-run: the script '%s' is not a regular file (a folder, a FIFO or a device)\n",
                         path.c_str());
        } else {
            std::fprintf(stderr, "telka-run: cannot read the script '%s': %s\n", path.c_str(), std::strerror(error));
        }
        return false;
    }
    char chunk[1 << 16];
    size_t n = 0;
    while (out->size() <= kMaxScriptBytes && (n = std::fread(chunk, 1, sizeof chunk, in)) > 0) out->append(chunk, n);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        std::fprintf(stderr, "telka-run: cannot read the script '%s'\n", path.c_str());
        return false;
    }
    if (out->size() > kMaxScriptBytes) {
        std::fprintf(stderr, "telka-run: the script '%s' is larger than %zu MiB; no script is that long\n",
                     path.c_str(), kMaxScriptBytes >> 20);
        return false;
    }
    return true;
}

std::string trim(const std::string &s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return "";
    const size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

bool starts_with(const std::string &s, const char *prefix) { return s.rfind(prefix, 0) == 0; }

// "TELKA_MOUSE(1, 2); TELKA_KBD(97)" as script lines, each checked.
bool events_to_script(const std::string &events, std::string *out) {
    std::string item;
    std::vector<std::string> items;
    for (char c : events) {
        if (c == ';' || c == '\n') {
            items.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    items.push_back(item);
    for (const std::string &raw : items) {
        const std::string e = trim(raw);
        if (e.empty()) continue;
        const bool known = starts_with(e, "TELKA_MOUSE(") || starts_with(e, "TELKA_KBD(") ||
                           starts_with(e, "TELKA_PERIODIC(");
        if (!known || e.back() != ')') {
            std::fprintf(stderr,
                         "telka-run: '%s' is not an event; write TELKA_MOUSE(x, y), TELKA_KBD(code) or"
                         " TELKA_PERIODIC(count)\n",
                         e.c_str());
            return false;
        }
        *out += e + ";\n";
    }
    return true;
}

// The first number in `line` after the kind, as the library reads a count.
uint64_t periodic_count(const std::string &line) {
    size_t i = 6;
    while (i < line.size() && (line[i] < '0' || line[i] > '9')) ++i;
    uint64_t n = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        if (n < (uint64_t{1} << 40)) n = n * 10 + static_cast<uint64_t>(line[i] - '0');
    return n == 0 ? 1 : n;  // PERIODIC(0) still hands out one event
}

std::string first_events(const std::string &script, uint64_t limit) {
    std::string out;
    uint64_t left = limit;
    size_t pos = 0;
    while (left > 0 && pos < script.size()) {
        const size_t nl = script.find('\n', pos);
        if (nl == std::string::npos) break;  // never played: the library meets the end of the file first
        std::string line = script.substr(pos, nl - pos);
        pos = nl + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const char kind = line.size() > 6 ? line[6] : '\0';
        if (kind == 'M' || kind == 'K') {
            out += line + "\n";
            --left;
        } else if (kind == 'P') {
            const uint64_t n = periodic_count(line);
            if (n <= left) {
                out += line + "\n";
                left -= n;
            } else {
                out += "TELKA_PERIODIC(" + std::to_string(left) + ");\n";
                left = 0;
            }
        } else {
            break;  // the playback would stop here
        }
    }
    return out;
}

}  // namespace

bool write_run_script(const std::string &path, const std::string &script_file, const std::string &events,
                      std::optional<uint64_t> max_events) {
    std::string script;
    if (!script_file.empty()) {
        if (!read_file(script_file, &script)) return false;
    } else if (!events_to_script(events, &script)) {
        return false;
    }
    if (max_events) script = first_events(script, *max_events);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << script;
    out.close();
    if (!out) {
        std::fprintf(stderr, "telka-run: cannot write '%s'\n", path.c_str());
        return false;
    }
    return true;
}
