// The build of one submission (build_program.h). The sources are copied
// first, so the sandbox sees only this student's files; the library's own
// paths named in the flags are added read-only.
#include "build_program.h"

#include "process.h"
#include "sandbox.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr double kStepSeconds = 120;           // one compile or the link
constexpr uintmax_t kLargestFile = 16u << 20;  // a source folder's files above this are left out
constexpr size_t kLargestLog = 64u << 10;

bool is_cxx(const std::string &path) { return fs::path(path).extension() != ".c"; }

std::string canonical_path(const std::string &p) {
    std::error_code ec;
    const fs::path c = fs::weakly_canonical(p, ec);
    return ec ? p : c.string();
}

// The paths the flags name (-I, -L, plain absolute files), for the sandbox.
std::vector<std::string> flag_paths(const BuildFlags &flags) {
    std::vector<std::string> out;
    for (const auto *list : {&flags.cflags, &flags.libs})
        for (const std::string &f : *list) {
            std::string p;
            if ((f.rfind("-I", 0) == 0 || f.rfind("-L", 0) == 0) && f.size() > 2)
                p = f.substr(2);
            else if (!f.empty() && f[0] == '/')
                p = f;
            std::error_code ec;
            if (!p.empty() && p[0] == '/' && fs::exists(p, ec)) out.push_back(p);
        }
    return out;
}

bool copy_sources(const Submission &s, const fs::path &to, std::string *log) {
    std::error_code ec;
    fs::create_directories(to, ec);
    const fs::path root(s.root);
    std::vector<fs::path> files;
    if (fs::is_regular_file(s.origin, ec)) {
        files.push_back(fs::path(s.origin).filename());
    } else {
        fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            const std::string leaf = it->path().filename().string();
            if (!leaf.empty() && leaf[0] == '.') {
                if (it->is_directory()) it.disable_recursion_pending();
                continue;
            }
            if (it->is_regular_file() && !it->is_symlink()) files.push_back(it->path().lexically_relative(root));
        }
    }
    for (const fs::path &f : files) {
        if (fs::file_size(root / f, ec) > kLargestFile) {
            *log += "telka-grade: " + f.string() + " is larger than 16 MiB and was left out\n";
            continue;
        }
        fs::create_directories((to / f).parent_path(), ec);
        if (!fs::copy_file(root / f, to / f, fs::copy_options::overwrite_existing, ec)) {
            *log += "telka-grade: cannot copy " + f.string() + ": " + ec.message() + "\n";
            return false;
        }
    }
    return true;
}

std::string read_tail(const std::string &file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    if (text.size() > kLargestLog) text = "...\n" + text.substr(text.size() - kLargestLog);
    return text;
}

}  // namespace

std::vector<std::string> split_flags(const std::string &text) {
    std::vector<std::string> out;
    std::string word;
    bool have = false;
    char quote = 0;
    for (const char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word.push_back(c);
        } else if (c == '\'' || c == '"') {
            quote = c;
            have = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (have) out.push_back(word);
            word.clear();
            have = false;
        } else {
            word.push_back(c);
            have = true;
        }
    }
    if (have) out.push_back(word);
    for (std::string &w : out) {
        if ((w.rfind("-I", 0) == 0 || w.rfind("-L", 0) == 0) && w.size() > 2 && w[2] == '/')
            w = w.substr(0, 2) + canonical_path(w.substr(2));
        else if (!w.empty() && w[0] == '/')
            w = canonical_path(w);
    }
    return out;
}

BuildResult build_submission(const Submission &s, const std::string &folder, const BuildFlags &flags, bool sandbox) {
    BuildResult r;
    std::error_code ec;
    const fs::path dir = fs::absolute(folder, ec);
    fs::remove_all(dir, ec);
    fs::create_directories(dir / "obj", ec);
    const fs::path src = dir / "src";
    const std::string log_file = (dir / "build.log").string();
    std::string notes;
    if (s.sources.empty()) {
        r.log = "No C or C++ source file was handed in (.c, .cc, .cpp, .cxx).\n";
        return r;
    }
    if (!copy_sources(s, src, &notes)) {
        r.log = notes;
        return r;
    }
    std::ofstream(log_file) << notes;
    const std::vector<std::string> readable = flag_paths(flags);
    auto run = [&](std::vector<std::string> cmd) {
        if (sandbox) {
            std::vector<std::string> full = sandbox_prefix(dir.string(), readable, src.string());
            full.insert(full.end(), cmd.begin(), cmd.end());
            cmd = full;
        }
        const ProcessResult p = run_process(cmd, src.string(), log_file, kStepSeconds);
        r.seconds += p.seconds;
        if (p.timed_out) std::ofstream(log_file, std::ios::app) << "telka-grade: the build took longer than 120 s\n";
        return p.started && !p.timed_out && p.exit_status == 0;
    };
    bool ok = true;
    bool any_cxx = false;
    std::vector<std::string> objects;
    for (size_t i = 0; i < s.sources.size() && ok; ++i) {
        const bool cxx = is_cxx(s.sources[i]);
        any_cxx = any_cxx || cxx;
        const std::string object = (dir / "obj" / (std::to_string(i + 1) + ".o")).string();
        std::vector<std::string> cmd = {cxx ? "c++" : "cc", "-c", s.sources[i], "-o", object};
        cmd.insert(cmd.end(), flags.cflags.begin(), flags.cflags.end());
        ok = run(cmd);
        objects.push_back(object);
    }
    const std::string program = (dir / "program").string();
    if (ok) {
        std::vector<std::string> cmd = {any_cxx ? "c++" : "cc"};
        cmd.insert(cmd.end(), objects.begin(), objects.end());
        cmd.insert(cmd.end(), flags.libs.begin(), flags.libs.end());
        cmd.insert(cmd.end(), {"-o", program});
        ok = run(cmd);
    }
    r.log = read_tail(log_file);
    r.ok = ok && fs::is_regular_file(program, ec);
    if (r.ok) r.program = program;
    return r;
}
