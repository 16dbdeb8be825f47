// bwrap arguments for a confined build (sandbox.h): the tools' common
// system view (sandbox_view.h) and the build's own folders.
#include "sandbox.h"

#include "process.h"
#include "sandbox_view.h"

std::vector<std::string> sandbox_prefix(const std::string &writable, const std::vector<std::string> &readable,
                                        const std::string &cwd) {
    std::vector<std::string> a = {"bwrap"};
    add_system_view(&a);
    for (const std::string &r : readable)
        if (!in_system_folder(r)) a.insert(a.end(), {"--ro-bind", r, r});
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
