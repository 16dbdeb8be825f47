// Running one child under limits, for both tools: its own process group,
// resource limits, its descriptors chosen, optionally as the sandbox's
// user; a wait that ends at a wall-clock deadline while its output is read;
// and the kill of its whole group before it is reaped. Safe to use from
// several threads, one child each. Linux (pidfd, else polling).
#pragma once

#include "capped_output.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

struct ChildLimits {
    double timeout = 0;         // wall-clock seconds; 0: none
    double cpu = 0;             // CPU seconds (RLIMIT_CPU, SIGKILL a second later); 0: none
    uint64_t memory_mb = 0;     // RLIMIT_AS; 0: none
    uint64_t file_size_mb = 0;  // RLIMIT_FSIZE; 0: none
    uint64_t processes = 0;     // RLIMIT_NPROC; 0: none (root is exempt)
};

struct ChildSetup {
    std::vector<std::string> argv;  // argv[0] is looked up in PATH
    std::string label;              // what a message calls it; empty: argv[0]
    std::string cwd;                // where it starts; empty: here
    ChildLimits limits;
    bool as_sandbox_user = false;  // become nobody before exec (the caller is root)
    bool null_stdin = false;       // stdin from /dev/null, else ours
    int stdout_fd = -1;            // its stdout and stderr; -1: ours
    int stderr_fd = -1;
    // Descriptors it gets, {ours, its number}; the same number keeps it
    // where it is. Ours stay close-on-exec for every other child.
    std::vector<std::pair<int, int>> pass_fds;
    // Close every other descriptor above stderr: another thread may have
    // opened one without close-on-exec.
    bool close_others = false;
};

// The step at which the child gave up before running the program.
enum class ChildStep : int { none, drop, chdir, exec };

struct ChildEnd {
    bool exited = false;
    int exit_status = -1;  // when it exited
    int signal = 0;        // when a signal ended it
    double wall_seconds = 0;
};

class LimitedChild {
public:
    LimitedChild() = default;
    ~LimitedChild();  // a child still there is killed and reaped
    LimitedChild(const LimitedChild &) = delete;
    LimitedChild &operator=(const LimitedChild &) = delete;

    // Starts the child; false with *error ("cannot make a pipe: ...",
    // "cannot start 'LABEL': ...") when there is no pipe or process for it.
    bool start(const ChildSetup &setup, std::string *error);
    pid_t pid() const { return pid_; }
    // The deadline of the wall-clock limit; time_point::max() without one.
    std::chrono::steady_clock::time_point deadline() const { return deadline_; }
    // Waits until the child has run the program or given up; the step it
    // gave up at (none: it runs) with its errno in *error.
    ChildStep exec_result(int *error);
    // Waits for the child's end (leaving it unreaped, so its group is still
    // its own) while reading `outputs`; true when the deadline came first,
    // or when a CPU signal came within a few ticks of it (a loop whose CPU
    // limit equals its timeout meets both at once).
    bool wait(std::initializer_list<CappedOutput *> outputs);
    // Kills what is left of its group and reaps it.
    ChildEnd end();

private:
    pid_t pid_ = -1;
    int pidfd_ = -1;
    int report_fd_ = -1;  // the child's word on its exec
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
};

// Whether a child ended by `signal` under a CPU limit of `cpu` seconds met
// that limit: SIGXCPU at it, or SIGKILL at the hard limit for one that
// catches SIGXCPU. Reads this process's reaped children's time: one child at a time.
bool ended_at_cpu_limit(int signal, double cpu);
