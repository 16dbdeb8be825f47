// The build of one submission (build_program.h). The sources are copied
// first into a fresh folder of the build's own, so the sandbox sees only
// this student's files; the library's own paths named in the flags are
// added read-only. Everything in that folder is the student's to write, so
// the grader takes from it only the program, as a plain file, and keeps
// the log itself.
#include "build_program.h"

#include "process.h"
#include "sandbox.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr uintmax_t kLargestFile = 16u << 20;  // a source folder's files above this are left out
constexpr size_t kLargestLog = 64u << 10;      // the build's messages kept, all steps together

bool is_cxx(const std::string &path) { return fs::path(path).extension() != ".c"; }

std::string canonical_path(const std::string &p) {
    std::error_code ec;
    const fs::path c = fs::weakly_canonical(p, ec);
    return ec ? p : c.string();
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

// Appends a step's messages to the log, keeping kLargestLog bytes in all.
void append_log(std::string *log, const std::string &text, size_t dropped) {
    const size_t room = log->size() < kLargestLog ? kLargestLog - log->size() : 0;
    *log += text.substr(0, room);
    dropped += text.size() > room ? text.size() - room : 0;
    if (dropped) *log += "\ntelka-grade: " + std::to_string(dropped) + " more bytes of messages were left out\n";
}

// Copies the built program out of the build's folder (through a descriptor
// opened before the build ran, so the folder cannot be swapped) into `to`:
// a plain file only, never through a link; a pipe does not block the open.
bool take_program(int dir_fd, const std::string &to, std::string *why) {
    const int in = openat(dir_fd, "program", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) {
        *why = errno == ELOOP ? "the build's program is a link, not a file" : "the build left no program";
        return false;
    }
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        *why = "the build's program is not a plain file";
        return false;
    }
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0755);
    bool ok = out >= 0;
    char buffer[65536];
    ssize_t n = 0;
    while (ok && (n = read(in, buffer, sizeof buffer)) > 0)
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            ok = w > 0;
            done += w > 0 ? w : 0;
        }
    ok = ok && n == 0;
    if (out >= 0 && close(out) != 0) ok = false;
    close(in);
    if (!ok) {
        *why = std::string("cannot copy the built program: ") + std::strerror(errno);
        unlink(to.c_str());
    }
    return ok;
}

// Writes the log the grader keeps; the folder is the grader's own and fresh.
void write_log(const std::string &file, const std::string &text) {
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return;
    for (size_t done = 0; done < text.size();) {
        const ssize_t w = write(fd, text.data() + done, text.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        done += static_cast<size_t>(w);
    }
    close(fd);
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

BuildResult build_submission(const Submission &s, const std::string &folder, const BuildFlags &flags, bool sandbox) {
    BuildResult r;
    std::error_code ec;
    const fs::path dir = fs::absolute(folder, ec);
    fs::remove_all(dir, ec);
    fs::create_directories(dir, ec);
    const std::string log_file = (dir / "build.log").string();
    if (s.sources.empty()) {
        r.log = "No C or C++ source file was handed in (.c, .cc, .cpp, .cxx).\n";
        write_log(log_file, r.log);
        return r;
    }
    std::string why;
    const TempFolder work_folder = make_build_folder(&why);
    const std::string &work = work_folder.path();
    if (work.empty()) {
        r.sandbox_failed = true;
        r.log = "telka-grade: " + why + "\n";
        write_log(log_file, r.log);
        return r;
    }
    const int work_fd = open(work.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    std::string notes;
    bool ok = work_fd >= 0 && copy_sources(s, fs::path(work) / "src", &notes);
    append_log(&r.log, notes, 0);
    if (ok && sandbox && !hand_to_sandbox_user(work, &why)) {
        r.sandbox_failed = true;
        append_log(&r.log, "telka-grade: " + why + "\n", 0);
        ok = false;
    }
    const std::vector<std::string> readable = flag_paths(flags);
    const ProcessLimits limits = build_limits(sandbox);
    // Every path is relative to the sources' folder, so the messages name
    // no folder of the host's.
    auto run = [&](std::vector<std::string> cmd) {
        if (sandbox) {
            std::vector<std::string> full = sandbox_prefix(work, readable);
            full.insert(full.end(), cmd.begin(), cmd.end());
            cmd = full;
        }
        const ProcessResult p = run_limited(cmd, sandbox ? "/" : work + "/src", limits);
        r.seconds += p.seconds;
        if (sandbox && p.started && !p.timed_out && !sandbox_started(p)) {
            r.sandbox_failed = true;
            append_log(&r.log, "telka-grade: bwrap could not make the build's sandbox:\n" + p.output, p.dropped);
            return false;
        }
        append_log(&r.log, p.output, p.dropped);
        if (p.timed_out) append_log(&r.log, "telka-grade: the build took longer than 120 s\n", 0);
        return p.started && !p.timed_out && p.exit_status == 0;
    };
    bool any_cxx = false;
    std::vector<std::string> objects;
    for (size_t i = 0; i < s.sources.size() && ok; ++i) {
        const bool cxx = is_cxx(s.sources[i]);
        any_cxx = any_cxx || cxx;
        const std::string object = "../obj/" + std::to_string(i + 1) + ".o";
        std::vector<std::string> cmd = {cxx ? "c++" : "cc", "-c", "./" + s.sources[i], "-o", object};
        cmd.insert(cmd.end(), flags.cflags.begin(), flags.cflags.end());
        ok = run(cmd);
        objects.push_back(object);
    }
    if (ok) {
        std::vector<std::string> cmd = {any_cxx ? "c++" : "cc"};
        cmd.insert(cmd.end(), objects.begin(), objects.end());
        cmd.insert(cmd.end(), flags.libs.begin(), flags.libs.end());
        cmd.insert(cmd.end(), {"-o", "../program"});
        ok = run(cmd);
    }
    const std::string program = (dir / "program").string();
    if (ok && !take_program(work_fd, program, &why)) {
        append_log(&r.log, "telka-grade: " + why + "\n", 0);
        ok = false;
    }
    if (work_fd >= 0) close(work_fd);
    write_log(log_file, r.log);
    r.ok = ok;
    if (r.ok) r.program = program;
    return r;
}
