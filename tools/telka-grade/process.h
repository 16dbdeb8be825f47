// Running one child command for the grader: its own process group, stdin
// from /dev/null, stdout and stderr into a log file, and a wall-clock limit
// after which the whole group is killed. Safe to call from several threads.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    bool started = false;  // false: fork or exec failed (message in the log)
    bool timed_out = false;
    int exit_status = -1;  // when it exited
    int signal = 0;        // when a signal ended it
    double seconds = 0;    // wall-clock
};

// Runs argv[0] (looked up in PATH) in cwd with output appended to log_file;
// limit_seconds <= 0 means no limit.
ProcessResult run_process(const std::vector<std::string> &argv, const std::string &cwd, const std::string &log_file,
                          double limit_seconds);

// Runs argv and returns its standard output (stderr goes to ours); false
// when it did not start or did not exit with 0.
bool capture_output(const std::vector<std::string> &argv, std::string *out);
