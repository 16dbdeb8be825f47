// Starting the program for telka-run: in its own process group, under
// resource limits and a wall-clock limit, optionally inside a bwrap sandbox
// (as nobody when the runner is root, with a clean environment and its
// folder on a capped tmpfs); says how it ended once nothing of it is left. POSIX only.
#pragma once

#include "limited_child.h"

#include <string>
#include <vector>

struct ChildLaunch {
    std::string program;  // absolute path, or a bare name looked up in PATH
    std::string workdir;  // absolute; the program starts there
    ChildLimits limits;   // in the sandbox the process limit is its own (sandbox_argv)
    bool sandbox = false;
    // In the sandbox the program's environment is this (NAME=VALUE) and the
    // sandbox's fixed variables, nothing of the caller's.
    std::vector<std::string> environment;
};

struct ChildOutcome {
    enum class Kind {
        exited,       // exit_status
        signalled,    // signal (not the runner's)
        timed_out,    // the wall-clock limit: the runner killed it
        not_started,  // exec failed: not_found tells 127 from 126
        runner_error  // the runner could not start it (no bwrap, no sandbox, no fork)
    };
    Kind kind = Kind::runner_error;
    int exit_status = 0;
    int signal = 0;
    bool cpu_limit = false;  // signalled by the CPU limit
    bool signal_from_status = false;  // only bwrap's 128 + N says so: a program may exit with that too
    bool not_found = false;
    double wall_seconds = 0;
    std::string message;  // for not_started and runner_error
};

// Runs the program, waits for it (or kills it at the timeout) and kills
// whatever it left running: its process group, or in the sandbox its whole
// pid namespace, which is empty when this returns.
ChildOutcome run_child(const ChildLaunch &launch);

// The bwrap argument list for `launch`, up to and including the program at
// its inside path; `staged` recreates its folder inside, `status_fd` is where
// bwrap reports the sandbox made and `block_fd` holds the program back until
// the runner has a hold on its folder.
std::vector<std::string> sandbox_argv(const ChildLaunch &launch, const std::vector<std::string> &staged, int status_fd,
                                      int block_fd);
