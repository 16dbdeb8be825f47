// Starting the program for telka-run on the tools' common runner
// (limited_child.h): the program itself, or bwrap as nobody when the runner
// is root; then the sandbox's setup, the wait that ends at the wall-clock
// limit, and in the sandbox the wait for its pid namespace to empty.
// Relies on POSIX signals, Linux's /proc and bwrap.
#include "child_process.h"

#include "capped_output.h"
#include "find_program.h"
#include "limited_child.h"
#include "sandbox_stage.h"
#include "sandbox_user.h"
#include "sandbox_view.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The group to kill when telka-run itself is interrupted, so a Ctrl+C or a
// marking script's kill never leaves a student's program running.
// bwrap's --die-with-parent then ends the sandbox with it.
volatile sig_atomic_t g_child_group = 0;

void on_interrupt(int sig) {
    if (g_child_group > 0) kill(-g_child_group, SIGKILL);
    signal(sig, SIG_DFL);
    raise(sig);
}

// What is kept of the sandboxed program's stdout and of its stderr: the
// first and the last this many bytes of each.
constexpr size_t kOutputHeadBytes = size_t{64} << 10;
constexpr size_t kOutputTailBytes = size_t{64} << 10;

// util-linux's, reached in the sandbox through its /usr.
const char *const kPrlimit = "/usr/bin/prlimit";

// Reads what is in a pipe without waiting for more.
std::string drain(int fd) {
    std::string text;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    return text;
}

}  // namespace

std::vector<std::string> sandbox_argv(const ChildLaunch &launch, const std::vector<std::string> &staged, int status_fd,
                                      int block_fd) {
    // A user namespace always (not --unshare-user-try): the process limit
    // then counts the sandbox's processes alone.
    std::vector<std::string> argv = {"bwrap",
                                     "--unshare-all",
                                     "--unshare-user",
                                     "--die-with-parent",
                                     "--new-session",
                                     "--cap-drop",
                                     "ALL",
                                     "--clearenv",
                                     "--json-status-fd",
                                     std::to_string(status_fd),
                                     "--block-fd",
                                     std::to_string(block_fd)};
    add_system_view(&argv, kSandboxTmpBytes);
    // Fontconfig reads the system's caches and wants one folder it may
    // write; without both it complains on every run (the pictures are the same).
    std::error_code ec;
    if (fs::is_directory("/var/cache/fontconfig", ec))
        argv.insert(argv.end(), {"--ro-bind", "/var/cache/fontconfig", "/var/cache/fontconfig"});
    for (const std::string &v : launch.environment) {
        const size_t eq = v.find('=');
        if (eq != std::string::npos) argv.insert(argv.end(), {"--setenv", v.substr(0, eq), v.substr(eq + 1)});
    }
    // clang-format off
    argv.insert(argv.end(), {
        "--setenv", "PATH", "/usr/local/bin:/usr/bin:/bin",
        "--setenv", "HOME", kInsideWork,
        "--setenv", "TMPDIR", "/tmp",
        "--setenv", "XDG_CACHE_HOME", "/tmp/.cache",
        "--setenv", "LANG", "C.UTF-8",
        "--setenv", "LC_ALL", "C.UTF-8",
    });
    // clang-format on
    argv.insert(argv.end(), {"--size", std::to_string(kSandboxWorkBytes), "--tmpfs", kInsideWork});
    argv.insert(argv.end(), staged.begin(), staged.end());
    argv.insert(argv.end(), {"--chdir", kInsideWork, "--"});
    if (launch.limits.processes) {
        // Set once the namespace exists: set on bwrap, outside, it would
        // also cap the user's processes there (all of them, for a teacher).
        rlim_t n = static_cast<rlim_t>(launch.limits.processes);
        struct rlimit now;
        if (getrlimit(RLIMIT_NPROC, &now) == 0 && now.rlim_max != RLIM_INFINITY && now.rlim_max < n) n = now.rlim_max;
        const std::string limit = std::to_string(n);
        argv.insert(argv.end(), {kPrlimit, "--nproc=" + limit + ":" + limit, "--"});
    }
    argv.push_back(kInsideProgram);
    return argv;
}

namespace {

// The sandbox as bwrap reports it: its pid 1 (as the runner sees it) and
// the inode of its pid namespace.
struct SandboxIds {
    pid_t pid1 = 0;
    ino_t pid_ns = 0;
};

uint64_t json_number(const std::string &text, const char *key) {
    const size_t at = text.find(std::string("\"") + key + "\"");
    if (at == std::string::npos) return 0;
    const size_t colon = text.find(':', at);
    return colon == std::string::npos ? 0 : std::strtoull(text.c_str() + colon + 1, nullptr, 10);
}

// Reads bwrap's first status line (the sandbox made) into *text, or gives
// up at EOF (bwrap failed) or at the deadline.
bool read_sandbox_ids(int fd, std::chrono::steady_clock::time_point deadline, std::string *text, SandboxIds *ids) {
    while (text->find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        struct pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
        char buffer[1024];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) return false;
        if (n > 0) text->append(buffer, static_cast<size_t>(n));
    }
    ids->pid1 = static_cast<pid_t>(json_number(*text, "child-pid"));
    ids->pid_ns = static_cast<ino_t>(json_number(*text, "pid-namespace"));
    return ids->pid1 > 0 && ids->pid_ns > 0;
}

bool in_namespace(pid_t pid, ino_t ns) {
    struct stat st;
    return stat(("/proc/" + std::to_string(pid) + "/ns/pid").c_str(), &st) == 0 && st.st_ino == ns;
}

// The sandbox's work folder, reached through its pid 1 once bwrap has made
// its root (the program waits on the block fd meanwhile). The descriptor
// keeps the tmpfs alive after the namespace is gone, for the copy out.
int hold_work_folder(const SandboxIds &ids, std::chrono::steady_clock::time_point deadline) {
    const std::string root = "/proc/" + std::to_string(ids.pid1) + "/root";
    const std::string work = root + kInsideWork;
    for (;;) {
        struct stat r, w;
        struct statfs f;
        if (stat(root.c_str(), &r) == 0 && stat(work.c_str(), &w) == 0 && r.st_dev != w.st_dev &&
            statfs(work.c_str(), &f) == 0 && f.f_type == 0x01021994 /* TMPFS_MAGIC */) {
            const int fd = open(work.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd >= 0 && in_namespace(ids.pid1, ids.pid_ns)) return fd;
            if (fd >= 0) close(fd);
        }
        if (std::chrono::steady_clock::now() > deadline || !in_namespace(ids.pid1, ids.pid_ns)) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A process that has ended and waits to be reaped: it can change nothing.
// The namespace's pid 1 becomes one only once every other process of the
// namespace is gone, and it may wait for an init that reaps slowly.
bool is_zombie(long pid) {
    std::FILE *f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!f) return true;
    char line[512];
    const size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    line[n] = '\0';
    const char *close = std::strrchr(line, ')');
    return !close || close[1] != ' ' || close[2] == 'Z' || close[2] == 'X';
}

// The processes still alive in the pid namespace `ns`.
int processes_in(ino_t ns) {
    int n = 0;
    DIR *proc = opendir("/proc");
    if (!proc) return 0;
    while (const dirent *e = readdir(proc)) {
        char *end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (pid > 0 && *end == '\0' && in_namespace(static_cast<pid_t>(pid), ns) && !is_zombie(pid)) ++n;
    }
    closedir(proc);
    return n;
}

// Killing its pid 1 makes the kernel end every process of the namespace,
// those in other sessions too, which a group kill misses; the namespace is
// empty once the last has gone. Bounded: a process stuck in the kernel is
// reported, not waited for forever.
bool empty_namespace(const SandboxIds &ids) {
    if (in_namespace(ids.pid1, ids.pid_ns)) kill(ids.pid1, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (processes_in(ids.pid_ns) > 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void close_fds(std::initializer_list<int> fds) {
    for (int fd : fds)
        if (fd >= 0) close(fd);
}

// Starts and waits for the program (whose path is resolved already); in the
// sandbox `drop` makes the child the sandbox's user before bwrap starts.
ChildOutcome run_process(const ChildLaunch &launch, bool drop) {
    ChildOutcome out;
    StagedFiles staged;
    if (launch.sandbox && !stage_work_folder(launch.program, launch.workdir, &staged, &out.message)) return out;
    // In the sandbox stdout and stderr go through out_pipe and err_pipe, capped.
    int status_pipe[2] = {-1, -1}, block_pipe[2] = {-1, -1};
    int out_pipe[2] = {-1, -1}, err_pipe[2] = {-1, -1};
    if (launch.sandbox && (pipe2(status_pipe, O_CLOEXEC) != 0 || pipe2(block_pipe, O_CLOEXEC) != 0 ||
                           pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0)) {
        out.message = std::string("cannot make a pipe: ") + std::strerror(errno);
        close_fds({status_pipe[0], status_pipe[1], block_pipe[0], block_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0],
                   err_pipe[1]});
        return out;
    }
    ChildSetup setup;
    setup.label = launch.program;
    setup.limits = launch.limits;
    setup.as_sandbox_user = drop;
    if (launch.sandbox) {
        setup.argv = sandbox_argv(launch, staged.args, status_pipe[1], block_pipe[0]);
        // bwrap needs no folder of the caller's: nobody may not reach them.
        setup.cwd = "/";
        setup.limits.processes = 0;
        setup.stdout_fd = out_pipe[1];
        setup.stderr_fd = err_pipe[1];
        setup.pass_fds = {{status_pipe[1], status_pipe[1]}, {block_pipe[0], block_pipe[0]}};
        for (int fd : staged.fds) setup.pass_fds.emplace_back(fd, fd);
    } else {
        setup.argv = {launch.program};
        setup.cwd = launch.workdir;
    }
    LimitedChild child;
    if (!child.start(setup, &out.message)) {
        close_fds({status_pipe[0], status_pipe[1], block_pipe[0], block_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0],
                   err_pipe[1]});
        return out;
    }
    g_child_group = child.pid();
    struct sigaction interrupt = {};
    interrupt.sa_handler = on_interrupt;
    struct sigaction old_int, old_term, old_hup;
    sigaction(SIGINT, &interrupt, &old_int);
    sigaction(SIGTERM, &interrupt, &old_term);
    sigaction(SIGHUP, &interrupt, &old_hup);

    close_fds({status_pipe[1], block_pipe[0], out_pipe[1], err_pipe[1]});
    CappedOutput out_cap(out_pipe[0], STDOUT_FILENO, kOutputHeadBytes, kOutputTailBytes);
    CappedOutput err_cap(err_pipe[0], STDERR_FILENO, kOutputHeadBytes, kOutputTailBytes);
    for (int &fd : staged.fds) close(fd);
    staged.fds.clear();
    int exec_error = 0;
    const ChildStep failed_step = child.exec_result(&exec_error);
    const bool exec_failed = failed_step != ChildStep::none;

    std::string sandbox_status;
    SandboxIds ids;
    int work_fd = -1;
    bool sandbox_made = false;
    if (launch.sandbox && !exec_failed) {
        // Making the sandbox gets its own bound, so a run without a timeout
        // cannot hang here either.
        const auto until = std::min(child.deadline(), std::chrono::steady_clock::now() + std::chrono::seconds(30));
        sandbox_made = read_sandbox_ids(status_pipe[0], until, &sandbox_status, &ids) &&
                       (work_fd = hold_work_folder(ids, until)) >= 0;
        if (sandbox_made) {
            const char go = 1;
            sandbox_made = write(block_pipe[1], &go, 1) == 1;
        }
        if (!sandbox_made && ids.pid1 > 0) empty_namespace(ids);
    }
    close_fds({block_pipe[1]});

    const bool timed_out = child.wait({&out_cap, &err_cap});
    // The namespace first: bwrap, killed first, would leave its pid 1 to die
    // after the runner has gone on.
    bool emptied = true;
    if (ids.pid1 > 0) emptied = empty_namespace(ids);
    const ChildEnd end = child.end();
    out.wall_seconds = end.wall_seconds;
    g_child_group = 0;
    sigaction(SIGINT, &old_int, nullptr);
    sigaction(SIGTERM, &old_term, nullptr);
    sigaction(SIGHUP, &old_hup, nullptr);

    if (launch.sandbox) {
        sandbox_status += drain(status_pipe[0]);
        close(status_pipe[0]);
    }
    // Every writer is gone with the namespace.
    const auto left_out_note = [](uint64_t bytes) {
        return "\n[telka-run: " + std::to_string(bytes) + " bytes of the program's output left out here]\n";
    };
    out_cap.finish(left_out_note);
    err_cap.finish(left_out_note);
    if (work_fd >= 0) {
        std::string error;
        if (!emptied)
            std::fprintf(stderr,
                         "telka-run: processes of the sandbox are still there; what the program wrote is not kept\n");
        else if (!copy_out_work(work_fd, launch.workdir, &error))
            std::fprintf(stderr, "telka-run: some of what the program wrote is lost: %s\n", error.c_str());
        close(work_fd);
    }
    if (failed_step == ChildStep::drop) {
        out.kind = ChildOutcome::Kind::runner_error;
        out.message = "cannot become user " + std::to_string(kSandboxUserId) +
                      " to run the program in the sandbox: " + std::strerror(exec_error);
        return out;
    }
    if (exec_failed) {
        if (launch.sandbox) {
            out.kind = ChildOutcome::Kind::runner_error;
            out.message = std::string("cannot run bwrap for --sandbox: ") + std::strerror(exec_error) +
                          " (Debian's package bubblewrap)";
        } else {
            out.kind = ChildOutcome::Kind::not_started;
            out.not_found = exec_error == ENOENT || exec_error == ENOTDIR;
            out.message = "cannot run '" + launch.program + "': " + std::strerror(exec_error);
        }
        return out;
    }
    if (launch.sandbox && !sandbox_made) {
        out.kind = ChildOutcome::Kind::runner_error;
        out.message = sandbox_status.find("\"child-pid\"") == std::string::npos
                          ? "bwrap could not make the sandbox (its message is above); the program did not run"
                          : "the sandbox's work folder could not be reached; the program did not run";
        return out;
    }
    if (timed_out) {
        out.kind = ChildOutcome::Kind::timed_out;
        return out;
    }
    if (end.signal) {
        out.kind = ChildOutcome::Kind::signalled;
        out.signal = end.signal;
    } else if (end.exited) {
        out.kind = ChildOutcome::Kind::exited;
        out.exit_status = end.exit_status;
        // bwrap hands on a signal that ended the program as 128 + N.
        if (launch.sandbox && out.exit_status > 128 && out.exit_status < 128 + 32) {
            out.kind = ChildOutcome::Kind::signalled;
            out.signal = out.exit_status - 128;
            out.signal_from_status = true;
        }
    }
    if (out.kind == ChildOutcome::Kind::signalled) out.cpu_limit = ended_at_cpu_limit(out.signal, launch.limits.cpu);
    return out;
}

}  // namespace

ChildOutcome run_child(const ChildLaunch &launch) {
    if (!launch.sandbox) return run_process(launch, false);
    ChildOutcome out;
    // Inside the sandbox a missing program would look like bwrap failing.
    ChildLaunch resolved = launch;
    resolved.program = find_program(launch.program);
    if (resolved.program.empty() || !fs::exists(resolved.program)) {
        out.kind = ChildOutcome::Kind::not_started;
        out.not_found = true;
        out.message = "cannot run '" + launch.program + "': No such file or directory";
        return out;
    }
    if (!executable_file(resolved.program)) {
        out.kind = ChildOutcome::Kind::not_started;
        out.message = "cannot run '" + launch.program + "': not an executable file";
        return out;
    }
    if (launch.limits.processes && !executable_file(kPrlimit)) {
        out.message = std::string("--processes in the sandbox needs ") + kPrlimit + " (Debian's util-linux)";
        return out;
    }
    // Root runs the program as nobody; what bwrap reads of the caller's it
    // reads through descriptors opened here, so nobody needs no way in.
    return run_process(resolved, geteuid() == 0);
}
