// Reading the tests folder and the submissions (suite.h). A bad test.conf
// line is reported and ignored, so one typo does not stop a class's marking.
#include "suite.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string trim(const std::string &s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

bool positive_number(const std::string &text, double max, double *out) {
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !(v > 0) || v > max) return false;
    *out = v;
    return true;
}

void read_conf(const std::string &file, TestCase *t) {
    std::ifstream in(file);
    if (!in) return;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string text = trim(line);
        if (text.empty() || text[0] == '#') continue;
        const size_t eq = text.find('=');
        const std::string key = eq == std::string::npos ? text : trim(text.substr(0, eq));
        const std::string value = eq == std::string::npos ? "" : trim(text.substr(eq + 1));
        bool ok = eq != std::string::npos;
        if (!ok) {
        } else if (key == "weight") {
            ok = positive_number(value, 1e6, &t->weight);
        } else if (key == "timeout") {
            ok = positive_number(value, 86400, &t->timeout);
        } else if (key == "seconds") {
            ok = positive_number(value, 1e8, &t->seconds);
        } else if (key == "name") {
            ok = !value.empty();
            if (ok) t->name = value;
        } else {
            ok = false;
        }
        if (!ok)
            std::fprintf(stderr, "telka-grade: %s:%d: ignored '%s' (keys: weight, timeout, seconds, name = value)\n",
                         file.c_str(), number, text.c_str());
    }
}

// Sources under a folder, relative to it, sorted; hidden entries are skipped.
std::vector<std::string> sources_under(const fs::path &folder) {
    std::vector<std::string> out;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string leaf = it->path().filename().string();
        if (!leaf.empty() && leaf[0] == '.') {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && is_source_file(leaf))
            out.push_back(it->path().lexically_relative(folder).string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

bool is_source_file(const std::string &path) {
    static const std::set<std::string> kExtensions = {".c", ".cc", ".cpp", ".cxx", ".c++", ".C"};
    return kExtensions.count(fs::path(path).extension().string()) > 0;
}

std::string safe_name(const std::string &name) {
    std::string out;
    for (const char c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                          c == '_' || c == '-' || c == '+' || c == '@';
        out.push_back(keep ? c : '_');
    }
    if (out.empty() || out[0] == '.') out.insert(out.begin(), '_');
    return out;
}

bool read_test_suite(const std::string &folder, TestSuite *out) {
    std::error_code ec;
    const fs::path root = fs::absolute(folder, ec).lexically_normal();
    if (!fs::is_directory(root, ec)) {
        std::fprintf(stderr, "telka-grade: the tests folder '%s' is not a folder\n", folder.c_str());
        return false;
    }
    out->folder = root.string();
    for (const char *file : {"reference.c", "reference.cpp"})
        if (fs::is_regular_file(root / file, ec)) out->reference_sources.push_back((root / file).string());
    if (out->reference_sources.empty() && fs::is_directory(root / "reference", ec))
        for (const std::string &s : sources_under(root / "reference"))
            out->reference_sources.push_back((root / "reference" / s).string());
    if (out->reference_sources.size() > 1 && !fs::is_directory(root / "reference", ec)) {
        std::fprintf(stderr, "telka-grade: '%s' has both reference.c and reference.cpp; keep one\n", folder.c_str());
        return false;
    }
    std::vector<fs::path> folders;
    for (const auto &entry : fs::directory_iterator(root, ec))
        if (entry.is_directory() && entry.path().filename() != "reference") folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    for (const fs::path &f : folders) {
        const std::string id = f.filename().string();
        if (id.empty() || id[0] == '.') continue;
        if (!fs::is_regular_file(f / "script.scr", ec)) {
            std::fprintf(stderr, "telka-grade: '%s' has no script.scr: not a test, skipped\n", f.string().c_str());
            continue;
        }
        if (safe_name(id) != id) {
            std::fprintf(stderr, "telka-grade: the test folder '%s' needs a plain name (letters, digits, . _ - + @)\n",
                         f.string().c_str());
            return false;
        }
        TestCase t;
        t.folder = f.string();
        t.id = t.name = id;
        t.script = (f / "script.scr").string();
        if (fs::is_regular_file(f / "answers.txt", ec)) t.answers = (f / "answers.txt").string();
        t.expected = (f / "expected").string();
        read_conf((f / "test.conf").string(), &t);
        out->tests.push_back(t);
    }
    if (out->tests.empty()) {
        std::fprintf(stderr, "telka-grade: '%s' holds no test (a folder with a script.scr)\n", folder.c_str());
        return false;
    }
    return true;
}

bool read_submission(const std::string &path, const std::string &name, Submission *out) {
    std::error_code ec;
    const fs::path p = fs::absolute(path, ec).lexically_normal();
    out->name = safe_name(name);
    out->origin = p.string();
    out->sources.clear();
    if (fs::is_regular_file(p, ec) && is_source_file(p.string())) {
        out->root = p.parent_path().string();
        out->sources.push_back(p.filename().string());
    } else if (fs::is_directory(p, ec)) {
        out->root = p.string();
        out->sources = sources_under(p);
    }
    if (out->sources.empty()) {
        std::fprintf(stderr, "telka-grade: '%s' holds no C or C++ source file\n", path.c_str());
        return false;
    }
    return true;
}

std::vector<Submission> read_submissions(const std::string &folder) {
    std::vector<fs::path> entries;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(folder, ec)) entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());
    std::vector<Submission> out;
    for (const fs::path &e : entries) {
        const std::string leaf = e.filename().string();
        if (leaf.empty() || leaf[0] == '.') continue;
        const bool dir = fs::is_directory(e, ec);
        if (!dir && !is_source_file(leaf)) {
            std::fprintf(stderr, "telka-grade: '%s' is not a C or C++ file nor a folder: skipped\n",
                         e.string().c_str());
            continue;
        }
        Submission s;
        // A folder with no source still gets a row: the student handed in nothing that builds.
        if (!read_submission(e.string(), dir ? leaf : e.stem().string(), &s)) {
            s.name = safe_name(dir ? leaf : e.stem().string());
            s.origin = e.string();
        }
        out.push_back(s);
    }
    std::sort(out.begin(), out.end(), [](const Submission &a, const Submission &b) {
        return a.name != b.name ? a.name < b.name : a.origin < b.origin;
    });
    std::map<std::string, int> seen;
    for (Submission &s : out) {
        const int n = ++seen[s.name];
        if (n > 1) s.name += "-" + std::to_string(n);
    }
    return out;
}
