// Starting the program for telka-run: fork, limits, its own process group,
// exec (of the program or of bwrap, as nobody when the runner is root), and a
// wait that ends at the wall-clock limit. Relies on POSIX signals and bwrap.
#include "child_process.h"

#include "sandbox_view.h"

#include "sandbox_stage.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The group to kill when telka-run itself is interrupted, so a Ctrl+C or a
// marking script's kill never leaves a student's program running.
volatile sig_atomic_t g_child_group = 0;
// While a staged run's files are away, the runner waits to bring them back
// before it gives in to the signal.
volatile sig_atomic_t g_hold_interrupt = 0;
volatile sig_atomic_t g_interrupted = 0;

void on_interrupt(int sig) {
    if (g_child_group > 0) kill(-g_child_group, SIGKILL);
    if (g_hold_interrupt) {
        g_interrupted = sig;
        return;
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

// util-linux's, reached in the sandbox through its /usr.
const char *const kPrlimit = "/usr/bin/prlimit";

void set_limit(int resource, rlim_t soft, rlim_t hard) {
    const struct rlimit limit = {soft, hard};
    setrlimit(resource, &limit);
}

// Runs in the child between fork and exec: only async-signal-safe calls. In
// the sandbox the process limit is set inside it instead (sandbox_argv).
void apply_limits(const ChildLimits &l, bool sandbox) {
    constexpr rlim_t kMiB = rlim_t{1} << 20;
    if (l.cpu > 0) {
        // SIGXCPU at the limit, SIGKILL a second later for a program that catches it.
        const rlim_t s = static_cast<rlim_t>(std::ceil(l.cpu));
        set_limit(RLIMIT_CPU, s, s + 1);
    }
    if (l.memory_mb) set_limit(RLIMIT_AS, l.memory_mb * kMiB, l.memory_mb * kMiB);
    if (l.file_size_mb) set_limit(RLIMIT_FSIZE, l.file_size_mb * kMiB, l.file_size_mb * kMiB);
    if (l.processes && !sandbox) set_limit(RLIMIT_NPROC, l.processes, l.processes);
}

// Becomes the sandbox's user for good, in the child before exec: every id,
// no supplementary groups, each checked, as a half-done drop leaves root.
bool drop_to_sandbox_user() {
    if (setgroups(0, nullptr) != 0 || setresgid(kSandboxGid, kSandboxGid, kSandboxGid) != 0 ||
        setresuid(kSandboxUid, kSandboxUid, kSandboxUid) != 0)
        return false;
    uid_t ru, eu, su;
    gid_t rg, eg, sg;
    if (getresuid(&ru, &eu, &su) != 0 || getresgid(&rg, &eg, &sg) != 0) return false;
    if (ru != kSandboxUid || eu != kSandboxUid || su != kSandboxUid) return false;
    if (rg != kSandboxGid || eg != kSandboxGid || sg != kSandboxGid) return false;
    if (getgroups(0, nullptr) != 0) {
        errno = EPERM;
        return false;
    }
    return true;
}

// What the child reports through its pipe when it cannot exec.
enum class ChildStep : int { chdir, drop, exec };
struct ChildFailure {
    ChildStep step;
    int error;
};

bool executable_file(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

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

std::string find_in_path(const std::string &name) {
    if (name.find('/') != std::string::npos) return name;
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        if (executable_file(candidate)) return fs::absolute(candidate).lexically_normal().string();
        start = end + 1;
    }
    return "";
}

std::vector<std::string> sandbox_argv(const ChildLaunch &launch, const SandboxSources &from, int status_fd) {
    // A user namespace always (not --unshare-user-try): the process limit
    // then counts the sandbox's processes alone.
    std::vector<std::string> argv = {
        "bwrap",      "--unshare-all", "--unshare-user",   "--die-with-parent",      "--new-session",
        "--cap-drop", "ALL",           "--json-status-fd", std::to_string(status_fd)};
    // The view first: the work folder and the program may lie under its /tmp.
    add_system_view(&argv);
    argv.insert(argv.end(), {"--setenv", "TMPDIR", "/tmp"});
    argv.insert(argv.end(), {"--ro-bind", from.program, launch.program});
    argv.insert(argv.end(), {"--bind", from.workdir, launch.workdir, "--chdir", launch.workdir, "--"});
    if (launch.limits.processes) {
        // Set once the namespace exists: set on bwrap, outside, it would
        // also cap the user's processes there (all of them, for a teacher).
        rlim_t n = static_cast<rlim_t>(launch.limits.processes);
        struct rlimit now;
        if (getrlimit(RLIMIT_NPROC, &now) == 0 && now.rlim_max != RLIM_INFINITY && now.rlim_max < n) n = now.rlim_max;
        const std::string limit = std::to_string(n);
        argv.insert(argv.end(), {kPrlimit, "--nproc=" + limit + ":" + limit, "--"});
    }
    argv.push_back(launch.program);
    return argv;
}

namespace {

// Starts and waits for the program (whose path is resolved already); in the
// sandbox its files are bound from `from`, and `drop` makes the child the
// sandbox's user before bwrap starts.
ChildOutcome run_process(const ChildLaunch &launch, const SandboxSources &from, bool drop) {
    ChildOutcome out;
    // exec_pipe tells an exec failure (errno) from a program that ends at once.
    int exec_pipe[2], status_pipe[2] = {-1, -1};
    if (pipe2(exec_pipe, O_CLOEXEC) != 0 || (launch.sandbox && pipe2(status_pipe, O_CLOEXEC) != 0)) {
        out.message = std::string("cannot make a pipe: ") + std::strerror(errno);
        return out;
    }
    std::vector<std::string> args;
    if (launch.sandbox)
        args = sandbox_argv(launch, from, status_pipe[1]);
    else
        args = {launch.program};
    const std::string start_dir = launch.sandbox ? from.workdir : launch.workdir;
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    sigset_t chld, old_mask;
    sigemptyset(&chld);
    sigaddset(&chld, SIGCHLD);
    sigprocmask(SIG_BLOCK, &chld, &old_mask);

    std::fflush(nullptr);
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        out.message = std::string("cannot start '") + launch.program + "': " + std::strerror(errno);
        sigprocmask(SIG_SETMASK, &old_mask, nullptr);
        for (int fd : {exec_pipe[0], exec_pipe[1], status_pipe[0], status_pipe[1]})
            if (fd >= 0) close(fd);
        return out;
    }
    if (child == 0) {
        setpgid(0, 0);
        sigprocmask(SIG_SETMASK, &old_mask, nullptr);
        if (launch.sandbox) fcntl(status_pipe[1], F_SETFD, 0);
        apply_limits(launch.limits, launch.sandbox);
        ChildFailure failure = {ChildStep::drop, 0};
        if (drop && !drop_to_sandbox_user()) {
            failure.error = errno;
        } else if (chdir(start_dir.c_str()) != 0) {
            failure = {ChildStep::chdir, errno};
        } else {
            if (launch.sandbox)
                execvp("bwrap", argv.data());
            else
                execvp(argv[0], argv.data());
            failure = {ChildStep::exec, errno};
        }
        ssize_t ignored = write(exec_pipe[1], &failure, sizeof failure);
        (void)ignored;
        _exit(127);
    }
    setpgid(child, child);
    g_child_group = child;
    struct sigaction interrupt = {};
    interrupt.sa_handler = on_interrupt;
    struct sigaction old_int, old_term, old_hup;
    sigaction(SIGINT, &interrupt, &old_int);
    sigaction(SIGTERM, &interrupt, &old_term);
    sigaction(SIGHUP, &interrupt, &old_hup);

    close(exec_pipe[1]);
    if (launch.sandbox) close(status_pipe[1]);
    ChildFailure failure = {ChildStep::exec, 0};
    const bool exec_failed = read(exec_pipe[0], &failure, sizeof failure) == sizeof failure;
    const int exec_error = failure.error;
    close(exec_pipe[0]);

    // Wait for the end without reaping it, so the group's id is still ours to kill.
    const bool limited = launch.limits.timeout > 0;
    const auto deadline = started + std::chrono::duration<double>(launch.limits.timeout);
    bool timed_out = false;
    for (;;) {
        siginfo_t info = {};
        if (waitid(P_PID, child, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == child) break;
        if (!limited) {
            int sig = 0;
            sigwait(&chld, &sig);
            continue;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds(0)) {
            timed_out = true;
            break;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const struct timespec wait = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        sigtimedwait(&chld, nullptr, &wait);
    }
    kill(-child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    out.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    g_child_group = 0;
    sigaction(SIGINT, &old_int, nullptr);
    sigaction(SIGTERM, &old_term, nullptr);
    sigaction(SIGHUP, &old_hup, nullptr);
    sigprocmask(SIG_SETMASK, &old_mask, nullptr);

    std::string sandbox_status;
    if (launch.sandbox) {
        sandbox_status = drain(status_pipe[0]);
        close(status_pipe[0]);
    }
    if (exec_failed && failure.step == ChildStep::drop) {
        out.kind = ChildOutcome::Kind::runner_error;
        out.message = "cannot become user " + std::to_string(kSandboxUid) +
                      " to run the program in the sandbox: " + std::strerror(exec_error);
        return out;
    }
    if (exec_failed && failure.step == ChildStep::chdir && launch.sandbox) {
        out.kind = ChildOutcome::Kind::runner_error;
        out.message = "cannot enter '" + start_dir + "'" + (drop ? " as user " + std::to_string(kSandboxUid) : "") +
                      " for --sandbox: " + std::strerror(exec_error) +
                      (drop ? " (TMPDIR must be a folder every user can reach)" : "");
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
    if (timed_out) {
        out.kind = ChildOutcome::Kind::timed_out;
        return out;
    }
    if (launch.sandbox && sandbox_status.find("\"child-pid\"") == std::string::npos) {
        out.kind = ChildOutcome::Kind::runner_error;
        out.message = "bwrap could not make the sandbox (its message is above); the program did not run";
        return out;
    }
    if (WIFSIGNALED(status)) {
        out.kind = ChildOutcome::Kind::signalled;
        out.signal = WTERMSIG(status);
    } else if (WIFEXITED(status)) {
        out.kind = ChildOutcome::Kind::exited;
        out.exit_status = WEXITSTATUS(status);
        // bwrap hands on a signal that ended the program as 128 + N.
        if (launch.sandbox && out.exit_status > 128 && out.exit_status < 128 + 32) {
            out.kind = ChildOutcome::Kind::signalled;
            out.signal = out.exit_status - 128;
            out.signal_from_status = true;
        }
    }
    if (out.kind == ChildOutcome::Kind::signalled && launch.limits.cpu > 0) {
        if (out.signal == SIGXCPU) out.cpu_limit = true;
        // A program that catches SIGXCPU gets SIGKILL at the hard limit.
        struct rusage usage;
        if (out.signal == SIGKILL && getrusage(RUSAGE_CHILDREN, &usage) == 0) {
            const double used =
                usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            if (used >= std::ceil(launch.limits.cpu)) out.cpu_limit = true;
        }
    }
    return out;
}

}  // namespace

ChildOutcome run_child(const ChildLaunch &launch) {
    if (!launch.sandbox) return run_process(launch, {}, false);
    ChildOutcome out;
    // Inside the sandbox a missing program would look like bwrap failing.
    ChildLaunch resolved = launch;
    resolved.program = find_in_path(launch.program);
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
    if (geteuid() != 0) return run_process(resolved, {resolved.program, resolved.workdir}, false);

    // Root runs the program as nobody, who may not reach the caller's
    // folders (a clone under /root): both go through a staging folder.
    SandboxStage stage;
    std::string error;
    if (!stage_sandbox(resolved.program, resolved.workdir, &stage, &error)) {
        out.message = error;
        return out;
    }
    g_hold_interrupt = 1;
    out = run_process(resolved, {stage.program, stage.workdir}, true);
    if (!unstage_sandbox(stage, resolved.workdir, &error))
        std::fprintf(stderr, "telka-run: some of what the program wrote is lost: %s\n", error.c_str());
    g_hold_interrupt = 0;
    if (g_interrupted) {
        signal(g_interrupted, SIG_DFL);
        raise(g_interrupted);
    }
    return out;
}
