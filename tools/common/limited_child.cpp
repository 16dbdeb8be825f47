// The child runner of limited_child.h: fork, then in the child only
// async-signal-safe calls up to exec, with a close-on-exec pipe that carries
// back the step that failed; in the parent a poll on the child's pidfd, its
// output and the deadline, to the nanosecond.
#include "limited_child.h"

#include "sandbox_user.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Without a pidfd (an old kernel) the wait looks at the child this often.
constexpr auto kPollInterval = std::chrono::milliseconds(20);

struct ChildFailure {
    ChildStep step;
    int error;
};

int open_pidfd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

void set_limit(int resource, rlim_t soft, rlim_t hard) {
    const struct rlimit limit = {soft, hard};
    setrlimit(resource, &limit);
}

void apply_limits(const ChildLimits &l) {
    constexpr rlim_t kMiB = rlim_t{1} << 20;
    if (l.cpu > 0) {
        // SIGXCPU at the limit, SIGKILL a second later for a program that catches it.
        const rlim_t s = static_cast<rlim_t>(std::ceil(l.cpu));
        set_limit(RLIMIT_CPU, s, s + 1);
    }
    if (l.memory_mb) set_limit(RLIMIT_AS, l.memory_mb * kMiB, l.memory_mb * kMiB);
    if (l.file_size_mb) set_limit(RLIMIT_FSIZE, l.file_size_mb * kMiB, l.file_size_mb * kMiB);
    if (l.processes) set_limit(RLIMIT_NPROC, l.processes, l.processes);
}

bool passed_on(const ChildSetup &setup, int fd) {
    for (const auto &[ours, its] : setup.pass_fds)
        if (its == fd) return true;
    return false;
}

// Between fork and exec: the descriptors as `setup` asks, the limits, the
// user and the folder; on failure the step goes to `report` and it exits 127.
[[noreturn]] void become_child(const ChildSetup &setup, char *const *argv, int report) {
    setpgid(0, 0);
    // Above every number the child is given, so none of them covers it.
    int highest = 2;
    for (const auto &[ours, its] : setup.pass_fds) highest = std::max(highest, its);
    if (report <= highest) report = fcntl(report, F_DUPFD_CLOEXEC, highest + 1);
    if (setup.null_stdin) {
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, STDIN_FILENO);
    }
    if (setup.stdout_fd >= 0) dup2(setup.stdout_fd, STDOUT_FILENO);
    if (setup.stderr_fd >= 0) dup2(setup.stderr_fd, STDERR_FILENO);
    for (const auto &[ours, its] : setup.pass_fds) {
        // dup2 onto itself would keep close-on-exec.
        if (ours == its)
            fcntl(its, F_SETFD, 0);
        else
            dup2(ours, its);
    }
    if (setup.close_others) {
        const long max = sysconf(_SC_OPEN_MAX);
        const int limit = max > 0 && max < 65536 ? static_cast<int>(max) : 65536;
        for (int fd = 3; fd < limit; ++fd)
            if (fd != report && !passed_on(setup, fd)) close(fd);
    }
    apply_limits(setup.limits);
    ChildFailure failure = {ChildStep::drop, 0};
    if (setup.as_sandbox_user && !become_sandbox_user()) {
        failure.error = errno;
    } else if (!setup.cwd.empty() && chdir(setup.cwd.c_str()) != 0) {
        failure = {ChildStep::chdir, errno};
    } else {
        execvp(argv[0], argv);
        failure = {ChildStep::exec, errno};
    }
    ssize_t ignored = write(report, &failure, sizeof failure);
    (void)ignored;
    _exit(127);
}

}  // namespace

LimitedChild::~LimitedChild() {
    if (pid_ > 0) end();
    if (report_fd_ >= 0) close(report_fd_);
}

bool LimitedChild::start(const ChildSetup &setup, std::string *error) {
    int report[2];
    if (setup.argv.empty() || pipe2(report, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(setup.argv.empty() ? EINVAL : errno);
        return false;
    }
    std::vector<char *> argv;
    for (const std::string &a : setup.argv) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    started_ = std::chrono::steady_clock::now();
    if (setup.limits.timeout > 0)
        deadline_ = started_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::duration<double>(setup.limits.timeout));
    const pid_t child = fork();
    if (child < 0) {
        *error = "cannot start '" + (setup.label.empty() ? setup.argv[0] : setup.label) + "': " + std::strerror(errno);
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        become_child(setup, argv.data(), report[1]);
    }
    // Both sides set the group, so it is there before either goes on.
    setpgid(child, child);
    close(report[1]);
    pid_ = child;
    report_fd_ = report[0];
    pidfd_ = open_pidfd(child);
    return true;
}

ChildStep LimitedChild::exec_result(int *error) {
    ChildFailure failure = {ChildStep::none, 0};
    if (report_fd_ >= 0) {
        ssize_t n;
        while ((n = read(report_fd_, &failure, sizeof failure)) < 0 && errno == EINTR) {}
        if (n != sizeof failure) failure = {ChildStep::none, 0};
        close(report_fd_);
        report_fd_ = -1;
    }
    *error = failure.error;
    return failure.step;
}

bool LimitedChild::wait(std::initializer_list<CappedOutput *> outputs) {
    const bool limited = deadline_ != std::chrono::steady_clock::time_point::max();
    for (;;) {
        siginfo_t info = {};
        const int got = waitid(P_PID, pid_, &info, WEXITED | WNOHANG | WNOWAIT);
        if (got == 0 && info.si_pid == pid_)
            return limited && (info.si_code == CLD_KILLED || info.si_code == CLD_DUMPED) && info.si_status == SIGXCPU &&
                   std::chrono::steady_clock::now() + std::chrono::milliseconds(20) >= deadline_;
        if (got < 0 && errno != EINTR) return false;
        std::chrono::nanoseconds left = std::chrono::nanoseconds::max();
        if (limited) {
            left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline_ - std::chrono::steady_clock::now());
            if (left <= std::chrono::nanoseconds(0)) return true;
        }
        if (pidfd_ < 0) left = std::min<std::chrono::nanoseconds>(left, kPollInterval);
        const struct timespec left_ts = {static_cast<time_t>(left.count() / 1000000000),
                                         static_cast<long>(left.count() % 1000000000)};
        std::vector<pollfd> fds = {{pidfd_, POLLIN, 0}};
        for (const CappedOutput *o : outputs) fds.push_back({o->fd(), POLLIN, 0});
        const bool forever = left == std::chrono::nanoseconds::max();
        ppoll(fds.data(), fds.size(), forever ? nullptr : &left_ts, nullptr);
        for (CappedOutput *o : outputs) o->take();
    }
}

ChildEnd LimitedChild::end() {
    ChildEnd e;
    if (pid_ <= 0) return e;
    kill(-pid_, SIGKILL);
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
    e.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    if (WIFEXITED(status)) {
        e.exited = true;
        e.exit_status = WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) e.signal = WTERMSIG(status);
    if (pidfd_ >= 0) close(pidfd_);
    pidfd_ = -1;
    pid_ = -1;
    return e;
}

bool ended_at_cpu_limit(int signal, double cpu) {
    if (cpu <= 0) return false;
    if (signal == SIGXCPU) return true;
    struct rusage usage;
    if (signal != SIGKILL || getrusage(RUSAGE_CHILDREN, &usage) != 0) return false;
    const double used =
        usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return used >= std::ceil(cpu);
}
