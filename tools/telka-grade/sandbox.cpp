// bwrap arguments for a confined build (sandbox.h). /bin, /lib and the like
// are symlinks into /usr on a merged-/usr system and are recreated as such.
#include "sandbox.h"

#include "process.h"

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool under(const std::string &path, const std::string &folder) {
    return path == folder || path.rfind(folder + "/", 0) == 0;
}

}  // namespace

std::vector<std::string> sandbox_prefix(const std::string &writable, const std::vector<std::string> &readable,
                                        const std::string &cwd) {
    std::vector<std::string> a = {"bwrap", "--ro-bind", "/usr", "/usr", "--ro-bind", "/etc", "/etc"};
    for (const char *top : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"}) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(top, ec);
        if (ec || !fs::exists(st)) continue;
        if (fs::is_symlink(st)) {
            a.insert(a.end(), {"--symlink", fs::read_symlink(top, ec).string(), top});
        } else {
            a.insert(a.end(), {"--ro-bind", top, top});
        }
    }
    a.insert(a.end(), {"--tmpfs", "/tmp", "--dev", "/dev", "--proc", "/proc"});
    for (const std::string &r : readable) {
        bool system = false;
        for (const char *top : {"/usr", "/etc", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"})
            system = system || under(r, top);
        if (!system) a.insert(a.end(), {"--ro-bind", r, r});
    }
    // clang-format off
    a.insert(a.end(), {"--bind", writable, writable, "--chdir", cwd, "--unshare-all", "--die-with-parent",
                       "--new-session", "--clearenv", "--setenv", "PATH", "/usr/local/bin:/usr/bin:/bin",
                       "--setenv", "HOME", "/tmp", "--setenv", "TMPDIR", "/tmp", "--setenv", "LC_ALL", "C.UTF-8", "--"});
    // clang-format on
    return a;
}

bool sandbox_works(std::string *why) {
    std::vector<std::string> argv = sandbox_prefix("/tmp", {}, "/");
    argv.push_back("true");
    std::string out;
    if (capture_output(argv, &out)) return true;
    *why = "bwrap (Debian package bubblewrap) is missing or cannot make a sandbox here";
    return false;
}
