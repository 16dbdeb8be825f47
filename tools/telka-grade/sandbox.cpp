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

namespace fs = std::filesystem;

namespace {

constexpr double kStepSeconds = 120;      // one compile or the link
constexpr unsigned kStepMemoryMb = 1024;  // address space of each compiler process
constexpr unsigned kLargestFileMb = 64;   // each file the build writes: objects, program, temporaries
constexpr size_t kOutputKept = 64u << 10;

}  // namespace

std::vector<std::string> sandbox_prefix(const std::string &build_dir, const std::vector<std::string> &readable) {
    // A user namespace always (not --unshare-user-try): as root, bwrap would
    // otherwise keep uid 0 and its capabilities in the sandbox.
    std::vector<std::string> a = {
        "bwrap",      "--unshare-all", "--unshare-user",   "--die-with-parent",      "--new-session",
        "--cap-drop", "ALL",           "--json-status-fd", std::to_string(kStatusFd)};
    add_system_view(&a);
    for (const std::string &r : readable)
        if (!in_system_folder(r)) a.insert(a.end(), {"--ro-bind", r, r});
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
    std::string dir = make_build_folder(why);
    if (dir.empty()) return false;
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
                   "; install bubblewrap (Debian package bubblewrap), allow unprivileged user namespaces, and make "
                   "the library's files readable by every user";
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return ok;
}

std::string make_build_folder(std::string *why) {
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/telka-build-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        *why = "cannot make a build folder (" + pattern + "): " + std::strerror(errno);
        return "";
    }
    if (mkdir((pattern + "/src").c_str(), 0755) != 0 || mkdir((pattern + "/obj").c_str(), 0755) != 0) {
        *why = "cannot make a build folder in " + pattern + ": " + std::strerror(errno);
        std::error_code ec;
        fs::remove_all(pattern, ec);
        return "";
    }
    return pattern;
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
