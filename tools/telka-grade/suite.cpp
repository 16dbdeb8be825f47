// Reading the tests folder and the submissions (suite.h). Every fault of
// the tests folder is reported before any student is marked: a typo in a
// weight must not mark a whole class on the wrong scale.
#include "suite.h"

#include "out_layout.h"
#include "submission_names.h"
#include "test_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

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

// Reads test.conf's key = value lines into t; false with a message per bad line.
bool read_conf(const std::string &file, TestCase *t) {
    std::string text, error;
    const TestFile got = read_test_file(file, kTestFileLimit, &text, &error);
    if (got == TestFile::Missing) return true;
    if (got == TestFile::Bad) {
        std::fprintf(stderr, "telka-grade: %s\n", error.c_str());
        return false;
    }
    std::istringstream in(text);
    std::set<std::string> seen;
    std::string line;
    int number = 0;
    bool all_ok = true;
    while (std::getline(in, line)) {
        ++number;
        const std::string text = trim(line);
        if (text.empty() || text[0] == '#') continue;
        const size_t eq = text.find('=');
        const std::string key = eq == std::string::npos ? text : trim(text.substr(0, eq));
        const std::string value = eq == std::string::npos ? "" : trim(text.substr(eq + 1));
        const char *why = nullptr;
        if (eq == std::string::npos)
            why = "not a 'key = value' line";
        else if (!seen.insert(key).second)
            why = "the key is given twice";
        else if (key == "weight")
            why = positive_number(value, 1e6, &t->weight) ? nullptr : "weight wants a number above 0, at most 1e6";
        else if (key == "timeout")
            why = positive_number(value, 86400, &t->timeout) ? nullptr : "timeout wants seconds above 0, at most 86400";
        else if (key == "seconds")
            why = positive_number(value, 1e8, &t->seconds) ? nullptr : "seconds wants a number above 0, at most 1e8";
        else if (key == "name")
            why = value.empty() ? "name wants a text" : (t->name = value, nullptr);
        else
            why = "unknown key";
        if (why) {
            std::fprintf(stderr, "telka-grade: %s:%d: '%s': %s (keys: weight, timeout, seconds, name = value)\n",
                         file.c_str(), number, text.c_str(), why);
            all_ok = false;
        }
    }
    return all_ok;
}

// A test's optional or required file checked as regular and bounded; its
// text is not kept, telka-run reads it again.
bool check_test_file(const fs::path &file, bool required) {
    std::string text, error;
    const TestFile got = read_test_file(file.string(), kTestFileLimit, &text, &error);
    if (got == TestFile::Bad) std::fprintf(stderr, "telka-grade: %s\n", error.c_str());
    return got == TestFile::Read || (got == TestFile::Missing && !required);
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
    bool ok = true;
    for (const fs::path &f : folders) {
        const std::string id = f.filename().string();
        if (id.empty() || id[0] == '.') continue;
        const bool looks_like_test = path_exists((f / "test.conf").string()) ||
                                     path_exists((f / "answers.txt").string()) ||
                                     path_exists((f / "expected").string());
        if (!path_exists((f / "script.scr").string())) {
            if (looks_like_test) {
                std::fprintf(stderr, "telka-grade: the test folder '%s' has no script.scr\n", f.string().c_str());
                ok = false;
            } else {
                std::fprintf(stderr, "telka-grade: '%s' has no script.scr: not a test, skipped\n", f.string().c_str());
            }
            continue;
        }
        // A test's id is a column of summary.csv, beside these.
        static const std::set<std::string> kColumns = {"student", "score", "max_score", "build", "original"};
        if (kColumns.count(id)) {
            std::fprintf(stderr, "telka-grade: the test folder '%s' needs another name: '%s' is a column of %s\n",
                         f.string().c_str(), id.c_str(), kSummaryFile);
            ok = false;
            continue;
        }
        if (safe_name(id) != id) {
            std::fprintf(stderr, "telka-grade: the test folder '%s' needs a plain name (letters, digits, . _ - + @)\n",
                         f.string().c_str());
            ok = false;
            continue;
        }
        TestCase t;
        t.folder = f.string();
        t.id = t.name = id;
        t.script = (f / "script.scr").string();
        t.expected = (f / "expected").string();
        ok = check_test_file(t.script, true) && ok;
        ok = check_test_file(f / "answers.txt", false) && ok;
        if (path_exists((f / "answers.txt").string())) t.answers = (f / "answers.txt").string();
        ok = read_conf((f / "test.conf").string(), &t) && ok;
        std::string error;
        if (path_exists(t.expected) && !check_saved_run(t.expected, &error)) {
            std::fprintf(stderr, "telka-grade: %s\n", error.c_str());
            ok = false;
        }
        out->tests.push_back(t);
    }
    if (!ok) {
        std::fprintf(stderr, "telka-grade: the tests folder '%s' cannot be used until the faults above are mended\n",
                     folder.c_str());
        return false;
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
    out->original = p.filename().string();
    out->origin = p.string();
    out->problem.clear();
    out->sources.clear();
    if (fs::is_regular_file(p, ec) && is_source_file(p.string())) {
        out->root = p.parent_path().string();
        out->sources.push_back(p.filename().string());
    } else if (fs::is_directory(p, ec)) {
        out->root = p.string();
        out->sources = sources_under(p);
        if (out->sources.empty()) out->problem = "The folder holds no C or C++ source file (.c, .cc, .cpp, .cxx).";
    } else {
        out->problem =
            "'" + out->original + "' is not a C or C++ source file (.c, .cc, .cpp, .cxx) nor a folder of them.";
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
    struct Entry {
        Submission s;
        bool renamed;  // its safe name differs from the name handed in
    };
    std::vector<Entry> read;
    for (const fs::path &e : entries) {
        const std::string leaf = e.filename().string();
        if (leaf.empty() || leaf[0] == '.') continue;
        // A source file is named by its stem; anything else keeps its whole name, so main.c.txt shows as itself.
        const std::string name = !fs::is_directory(e, ec) && is_source_file(leaf) ? e.stem().string() : leaf;
        Entry entry;
        read_submission(e.string(), name, &entry.s);
        entry.renamed = entry.s.name != name;
        read.push_back(entry);
    }
    // Of two hand-ins with one safe name, the one whose name needed no change keeps it.
    std::sort(read.begin(), read.end(), [](const Entry &a, const Entry &b) {
        if (a.s.name != b.s.name) return a.s.name < b.s.name;
        if (a.renamed != b.renamed) return b.renamed;
        return a.s.origin < b.s.origin;
    });
    std::vector<Submission> out;
    for (Entry &entry : read) out.push_back(std::move(entry.s));
    give_unique_names(&out);
    return out;
}
