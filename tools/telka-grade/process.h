// Running one child command for the grader on the tools' common runner
// (limited_child.h): its own process group, stdin from /dev/null, stdout and
// stderr into a log file (or kept, capped), and a wall-clock limit after
// which the whole group is killed; optionally with resource limits and as
// the sandbox's user. Safe to call from several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The descriptor a limited child finds bwrap's --json-status-fd pipe on.
constexpr int kStatusFd = 3;

struct ProcessLimits {
    double seconds = 0;            // wall-clock; 0: none
    unsigned memory_mb = 0;        // address space (RLIMIT_AS); 0: none
    unsigned file_mb = 0;          // largest file it may write (RLIMIT_FSIZE); 0: none
    size_t output_kept = 65536;    // bytes of stdout+stderr kept; the rest is read and dropped
    bool as_sandbox_user = false;  // become nobody before exec (the caller is root)
    bool status_pipe = false;      // a pipe on kStatusFd, read into ProcessResult::status
};

struct ProcessResult {
    bool started = false;  // false: fork or exec failed (message in the log)
    bool timed_out = false;
    int exit_status = -1;  // when it exited
    int signal = 0;        // when a signal ended it
    double seconds = 0;    // wall-clock
    std::string output;    // run_limited: the first output_kept bytes
    size_t dropped = 0;    // run_limited: bytes of output left out
    std::string status;    // run_limited with status_pipe: what was written there
};

// Runs argv[0] (looked up in PATH) in cwd (run_limited, with no limit but
// the time) and appends its output, the first 1 MiB, to log_file once it
// has ended; limit_seconds <= 0 means no limit.
ProcessResult run_process(const std::vector<std::string> &argv, const std::string &cwd, const std::string &log_file,
                          double limit_seconds);

// Runs argv (looked up in PATH) in cwd under `limits`, its output kept in
// the result; a failure to start or to become nobody is said in the output.
ProcessResult run_limited(const std::vector<std::string> &argv, const std::string &cwd, const ProcessLimits &limits);

// Runs argv and returns its standard output (stderr goes to ours); false
// when it did not start or did not exit with 0.
bool capture_output(const std::vector<std::string> &argv, std::string *out);
