// Child processes for the grader (process.h): fork and exec with the
// descriptors of other threads closed, so one submission's process never
// holds another's files open, and a polling wait with a deadline.
#include "process.h"

#include "sandbox_user.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// Of a command run into a log (telka-run, zip): telka-run caps the program's
// output itself, so this is only a bound on what the log may take.
constexpr size_t kLogKept = size_t{1} << 20;

// Other threads may open files without O_CLOEXEC at any moment; the child
// closes everything from `first` (above stderr) itself.
void close_other_descriptors(int first = 3) {
    const long max = sysconf(_SC_OPEN_MAX);
    const int limit = max > 0 && max < 65536 ? static_cast<int>(max) : 65536;
    for (int fd = first; fd < limit; ++fd) close(fd);
}

void set_limit(int resource, unsigned mb) {
    const rlim_t bytes = static_cast<rlim_t>(mb) << 20;
    const struct rlimit limit = {bytes, bytes};
    setrlimit(resource, &limit);
}

// Reads what a non-blocking pipe holds now, keeping at most `cap` bytes in
// *kept and counting the rest; false once the pipe has ended.
bool drain(int fd, std::string *kept, size_t cap, size_t *dropped) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) return false;
        if (n < 0) return errno == EINTR || errno == EAGAIN;
        const size_t got = static_cast<size_t>(n);
        const size_t room = kept->size() < cap ? cap - kept->size() : 0;
        kept->append(buffer, std::min(room, got));
        *dropped += got - std::min(room, got);
    }
}

// Between fork and exec only async-signal-safe calls: messages are made before the fork.
void say(int fd, const std::string &text) {
    ssize_t ignored = write(fd, text.data(), text.size());
    (void)ignored;
}

std::vector<char *> c_argv(const std::vector<std::string> &argv) {
    std::vector<char *> out;
    for (const std::string &a : argv) out.push_back(const_cast<char *>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

}  // namespace

ProcessResult run_process(const std::vector<std::string> &argv, const std::string &cwd, const std::string &log_file,
                          double limit_seconds) {
    ProcessLimits limits;
    limits.seconds = limit_seconds;
    limits.output_kept = kLogKept;
    ProcessResult r = run_limited(argv, cwd, limits);
    const int log = open(log_file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0) {
        std::fprintf(stderr, "telka-grade: cannot write '%s': %s\n", log_file.c_str(), std::strerror(errno));
        return r;
    }
    if (r.dropped) r.output += "telka-grade: " + std::to_string(r.dropped) + " more bytes of output were left out\n";
    for (size_t done = 0; done < r.output.size();) {
        const ssize_t n = write(log, r.output.data() + done, r.output.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    close(log);
    return r;
}

ProcessResult run_limited(const std::vector<std::string> &argv, const std::string &cwd, const ProcessLimits &limits) {
    ProcessResult r;
    if (argv.empty()) return r;
    int out_pipe[2], status_pipe[2] = {-1, -1};
    if (pipe2(out_pipe, O_CLOEXEC) != 0) {
        r.output = std::string("telka-grade: cannot make a pipe: ") + std::strerror(errno) + "\n";
        return r;
    }
    if (limits.status_pipe && pipe2(status_pipe, O_CLOEXEC) != 0) {
        r.output = std::string("telka-grade: cannot make a pipe: ") + std::strerror(errno) + "\n";
        close(out_pipe[0]);
        close(out_pipe[1]);
        return r;
    }
    std::vector<char *> args = c_argv(argv);
    const std::string cannot_enter = "telka-grade: cannot enter '" + cwd + "'\n";
    const std::string cannot_run = "telka-grade: cannot run '" + argv[0] + "'\n";
    const std::string cannot_drop = "telka-grade: cannot become user " + std::to_string(kSandboxUserId) + "\n";
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        r.output = "telka-grade: cannot start '" + argv[0] + "': " + std::strerror(errno) + "\n";
        for (const int fd : {out_pipe[0], out_pipe[1], status_pipe[0], status_pipe[1]})
            if (fd >= 0) close(fd);
        return r;
    }
    if (child == 0) {
        setpgid(0, 0);
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, 0);
        dup2(out_pipe[1], 1);
        dup2(out_pipe[1], 2);
        if (limits.status_pipe) {
            // dup2 onto itself would keep close-on-exec.
            if (status_pipe[1] == kStatusFd)
                fcntl(kStatusFd, F_SETFD, 0);
            else
                dup2(status_pipe[1], kStatusFd);
        }
        close_other_descriptors(limits.status_pipe ? kStatusFd + 1 : 3);
        if (limits.memory_mb) set_limit(RLIMIT_AS, limits.memory_mb);
        if (limits.file_mb) set_limit(RLIMIT_FSIZE, limits.file_mb);
        if (limits.as_sandbox_user && !become_sandbox_user()) {
            say(2, cannot_drop);
            _exit(127);
        }
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) {
            say(2, cannot_enter);
            _exit(127);
        }
        execvp(args[0], args.data());
        say(2, cannot_run);
        _exit(127);
    }
    close(out_pipe[1]);
    if (status_pipe[1] >= 0) close(status_pipe[1]);
    setpgid(child, child);
    r.started = true;
    fcntl(out_pipe[0], F_SETFL, O_NONBLOCK);
    if (status_pipe[0] >= 0) fcntl(status_pipe[0], F_SETFL, O_NONBLOCK);
    size_t status_dropped = 0;
    int status = 0;
    // A pipe at its end is left out of the poll (a negative descriptor), so
    // a child that closes its output does not make this loop spin.
    bool out_open = true, status_open = status_pipe[0] >= 0;
    for (;;) {
        struct pollfd fds[2] = {{out_open ? out_pipe[0] : -1, POLLIN, 0},
                                {status_open ? status_pipe[0] : -1, POLLIN, 0}};
        poll(fds, 2, 20);
        if (out_open) out_open = drain(out_pipe[0], &r.output, limits.output_kept, &r.dropped);
        if (status_open) status_open = drain(status_pipe[0], &r.status, 65536, &status_dropped);
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (done < 0 && errno != EINTR) break;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (limits.seconds > 0 && elapsed >= limits.seconds && !r.timed_out) {
            r.timed_out = true;
            kill(-child, SIGKILL);
            kill(child, SIGKILL);
        }
    }
    kill(-child, SIGKILL);
    // What is in the pipes now, without waiting for a writer that lingers.
    drain(out_pipe[0], &r.output, limits.output_kept, &r.dropped);
    if (status_pipe[0] >= 0) drain(status_pipe[0], &r.status, 65536, &status_dropped);
    close(out_pipe[0]);
    if (status_pipe[0] >= 0) close(status_pipe[0]);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(status)) r.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    return r;
}

bool capture_output(const std::vector<std::string> &argv, std::string *out) {
    int pipe_fds[2];
    if (argv.empty() || pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
    std::vector<char *> args = c_argv(argv);
    const std::string cannot_run = "telka-grade: cannot run '" + argv[0] + "'\n";
    const pid_t child = fork();
    if (child < 0) {
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        return false;
    }
    if (child == 0) {
        dup2(pipe_fds[1], 1);
        close_other_descriptors();
        execvp(args[0], args.data());
        say(2, cannot_run);
        _exit(127);
    }
    close(pipe_fds[1]);
    out->clear();
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(pipe_fds[0], buffer, sizeof buffer);
        if (n > 0) {
            out->append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    close(pipe_fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
