// bwrap arguments and limits for a confined build (sandbox.h): the tools'
// common system view (sandbox_view.h), the build's own folder, and nobody
// as the user when the grader is root (sandbox_user.h).
#include "sandbox.h"

#include "sandbox_user.h"
#include "sandbox_view.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

namespace fs = std::filesystem;

namespace {

constexpr double kStepSeconds = 120;      // one compile or the link
constexpr unsigned kStepMemoryMb = 1024;  // address space of each compiler process
constexpr unsigned kLargestFileMb = 64;   // each file the build writes: objects, program, temporaries
constexpr size_t kOutputKept = 64u << 10;

// Whether the sandbox's user can read `path` (a file or a folder's tree)
// from its mode bits alone: that user is neither owner nor group, so every
// folder above needs o+x and the path itself o+r.
bool others_can_reach(const fs::path &path) {
    struct stat st;
    for (fs::path p = path.parent_path(); !p.empty(); p = p.parent_path()) {
        if (stat(p.c_str(), &st) != 0 || !(st.st_mode & S_IXOTH)) return false;
        if (p == p.root_path()) break;
    }
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IROTH) && (!S_ISDIR(st.st_mode) || (st.st_mode & S_IXOTH));
}

// The library's paths that the sandbox's user cannot reach for a folder
// above them (a build tree or prefix under /root) are copied once, each
// file keeping its own mode, into a folder every user can enter, removed at
// exit; the sandbox binds each copy at its own path, so the flags stay as
// they are and a file of mode 600 stays unreadable.
struct LibraryCopies {
    std::mutex lock;
    std::string folder;
    std::map<std::string, std::string> copy_of;  // original path -> its copy
};

LibraryCopies &library_copies() {
    static LibraryCopies copies;
    return copies;
}

void remove_library_copies() {
    std::error_code ec;
    if (!library_copies().folder.empty()) fs::remove_all(library_copies().folder, ec);
}

// The path the sandbox binds for `original`: itself, or its copy.
std::string bind_source(const std::string &original) {
    if (geteuid() != 0 || others_can_reach(original)) return original;
    LibraryCopies &c = library_copies();
    std::lock_guard<std::mutex> hold(c.lock);
    const auto found = c.copy_of.find(original);
    if (found != c.copy_of.end()) return found->second;
    std::error_code ec;
    if (c.folder.empty()) {
        std::string unused;
        const std::string folder = make_temp_folder("telka-library", "a folder for the library", &unused);
        if (folder.empty()) return original;
        chmod(folder.c_str(), 0755);
        c.folder = folder;
        std::atexit(remove_library_copies);
    }
    const fs::path copy = fs::path(c.folder) / std::to_string(c.copy_of.size() + 1);
    fs::copy(original, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (ec) return original;
    c.copy_of[original] = copy.string();
    return copy.string();
}

}  // namespace

std::vector<std::string> sandbox_prefix(const std::string &build_dir, const std::vector<std::string> &readable) {
    // A user namespace always (not --unshare-user-try): as root, bwrap would
    // otherwise keep uid 0 and its capabilities in the sandbox.
    std::vector<std::string> a = {
        "bwrap",      "--unshare-all", "--unshare-user",   "--die-with-parent",      "--new-session",
        "--cap-drop", "ALL",           "--json-status-fd", std::to_string(kStatusFd)};
    add_system_view(&a);
    for (const std::string &r : readable)
        if (!in_system_folder(r)) a.insert(a.end(), {"--ro-bind", bind_source(r), r});
    const std::string src = std::string(kBuildMount) + "/src";
    // clang-format off
    a.insert(a.end(), {"--bind", build_dir, kBuildMount, "--chdir", src, "--clearenv",
                       "--setenv", "PATH", "/usr/local/bin:/usr/bin:/bin", "--setenv", "HOME", "/tmp",
                       "--setenv", "TMPDIR", "/tmp", "--setenv", "LC_ALL", "C.UTF-8", "--"});
    // clang-format on
    return a;
}

ProcessLimits build_limits(bool sandbox) {
    ProcessLimits l;
    l.seconds = kStepSeconds;
    l.memory_mb = kStepMemoryMb;
    l.file_mb = kLargestFileMb;
    l.output_kept = kOutputKept;
    l.as_sandbox_user = sandbox && geteuid() == 0;
    l.status_pipe = sandbox;
    return l;
}

bool sandbox_started(const ProcessResult &p) { return p.status.find("\"child-pid\"") != std::string::npos; }

bool sandbox_works(const std::vector<std::string> &readable, std::string *why) {
    const TempFolder folder = make_build_folder(why);
    if (folder.empty()) return false;
    const std::string &dir = folder.path();
    bool ok = hand_to_sandbox_user(dir, why);
    if (ok) {
        std::vector<std::string> argv = sandbox_prefix(dir, readable);
        argv.push_back("true");
        const ProcessResult p = run_limited(argv, "/", build_limits(true));
        ok = p.started && sandbox_started(p) && p.exit_status == 0;
        if (!ok) {
            std::string said = p.output;
            while (!said.empty() && said.back() == '\n') said.pop_back();
            *why = "bwrap cannot make the build's sandbox here" +
                   std::string(geteuid() == 0 ? " (a user namespace, as user 65534)" : " (a user namespace)") +
                   (said.empty() ? std::string() : ": " + said) +
                   "; install bubblewrap (Debian package bubblewrap) and allow unprivileged user namespaces";
        }
    }
    return ok;
}

TempFolder make_build_folder(std::string *why) {
    TempFolder folder(make_temp_folder("telka-build", "a build folder", why));
    if (folder.empty()) return folder;
    const std::string &dir = folder.path();
    if (mkdir((dir + "/src").c_str(), 0755) != 0 || mkdir((dir + "/obj").c_str(), 0755) != 0) {
        *why = "cannot make a build folder in " + dir + ": " + std::strerror(errno);
        return TempFolder();
    }
    return folder;
}

bool hand_to_sandbox_user(const std::string &dir, std::string *why) {
    if (geteuid() != 0) return true;
    std::error_code ec;
    bool ok = lchown(dir.c_str(), kSandboxUserId, kSandboxGroupId) == 0;
    for (auto it = fs::recursive_directory_iterator(dir, ec); ok && !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        ok = lchown(it->path().c_str(), kSandboxUserId, kSandboxGroupId) == 0;
    if (!ok || ec) *why = "cannot hand the build folder '" + dir + "' to user 65534: " + std::strerror(errno);
    return ok && !ec;
}
