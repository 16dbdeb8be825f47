// Child processes for the grader (process.h) through the tools' common
// runner (limited_child.h), with the descriptors of other threads closed,
// so one submission's process never holds another's files open.
#include "process.h"

#include "capped_output.h"
#include "limited_child.h"
#include "sandbox_user.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Of a command run into a log (telka-run, zip): telka-run caps the program's
// output itself, so this is only a bound on what the log may take.
constexpr size_t kLogKept = size_t{1} << 20;

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
    int out_pipe[2] = {-1, -1}, status_pipe[2] = {-1, -1};
    if (pipe2(out_pipe, O_CLOEXEC) != 0 || (limits.status_pipe && pipe2(status_pipe, O_CLOEXEC) != 0)) {
        r.output = std::string("telka-grade: cannot make a pipe: ") + std::strerror(errno) + "\n";
        for (const int fd : {out_pipe[0], out_pipe[1], status_pipe[0], status_pipe[1]})
            if (fd >= 0) close(fd);
        return r;
    }
    ChildSetup setup;
    setup.argv = argv;
    setup.cwd = cwd;
    setup.limits.timeout = limits.seconds;
    setup.limits.memory_mb = limits.memory_mb;
    setup.limits.file_size_mb = limits.file_mb;
    setup.as_sandbox_user = limits.as_sandbox_user;
    setup.null_stdin = true;
    setup.stdout_fd = setup.stderr_fd = out_pipe[1];
    if (limits.status_pipe) setup.pass_fds = {{status_pipe[1], kStatusFd}};
    setup.close_others = true;
    LimitedChild child;
    std::string error;
    const bool started = child.start(setup, &error);
    close(out_pipe[1]);
    if (status_pipe[1] >= 0) close(status_pipe[1]);
    CappedOutput output(out_pipe[0], -1, limits.output_kept, 0), status(status_pipe[0], -1, 65536, 0);
    if (!started) {
        r.output = "telka-grade: " + error + "\n";
        return r;
    }
    r.started = true;
    int exec_error = 0;
    const ChildStep step = child.exec_result(&exec_error);
    r.timed_out = child.wait({&output, &status});
    const ChildEnd end = child.end();
    // What is in the pipes now, without waiting for a writer that lingers.
    output.finish();
    status.finish();
    r.output = output.head();
    r.dropped = output.left_out();
    r.status = status.head();
    r.seconds = end.wall_seconds;
    r.exit_status = end.exit_status;
    r.signal = end.signal;
    // Said after what the child wrote, as the child itself would have said it.
    if (step == ChildStep::drop) r.output += "telka-grade: cannot become user " + std::to_string(kSandboxUserId) + "\n";
    if (step == ChildStep::chdir) r.output += "telka-grade: cannot enter '" + cwd + "'\n";
    if (step == ChildStep::exec) r.output += "telka-grade: cannot run '" + argv[0] + "'\n";
    return r;
}

bool capture_output(const std::vector<std::string> &argv, std::string *out) {
    int pipe_fds[2];
    if (argv.empty() || pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
    ChildSetup setup;
    setup.argv = argv;
    setup.stdout_fd = pipe_fds[1];
    setup.close_others = true;
    LimitedChild child;
    std::string error;
    const bool started = child.start(setup, &error);
    close(pipe_fds[1]);
    CappedOutput output(pipe_fds[0], -1, SIZE_MAX, 0);
    if (!started) return false;
    int exec_error = 0;
    if (child.exec_result(&exec_error) != ChildStep::none)
        std::fprintf(stderr, "telka-grade: cannot run '%s'\n", argv[0].c_str());
    child.wait({&output});
    const ChildEnd end = child.end();
    output.finish();
    *out = output.head();
    return end.exited && end.exit_status == 0;
}
