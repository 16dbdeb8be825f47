// Starting the program for telka-run: in its own process group, under
// resource limits and a wall-clock limit, optionally inside a bwrap sandbox
// (as nobody when the runner is root); says how it ended. POSIX only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ChildLimits {
    double timeout = 0;         // wall-clock seconds; 0: none
    double cpu = 0;             // CPU seconds; 0: none
    uint64_t memory_mb = 0;     // RLIMIT_AS; 0: none
    uint64_t file_size_mb = 0;  // RLIMIT_FSIZE; 0: none
    uint64_t processes = 0;     // RLIMIT_NPROC; 0: none (root is exempt outside the sandbox)
};

struct ChildLaunch {
    std::string program;  // absolute path, or a bare name looked up in PATH
    std::string workdir;  // absolute; the program starts there
    ChildLimits limits;
    bool sandbox = false;
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

// Runs the program, waits for it (or kills its process group at the
// timeout) and kills whatever it left running in its group.
ChildOutcome run_child(const ChildLaunch &launch);

// Where the sandbox's program file and folder are bound from: the caller's
// own, or their staged stand-ins when the program runs as another user.
struct SandboxSources {
    std::string program;
    std::string workdir;
};

// The bwrap argument list for `launch`, up to and including the program,
// which keeps its own paths inside; `status_fd` is where bwrap reports that
// the sandbox was made.
std::vector<std::string> sandbox_argv(const ChildLaunch &launch, const SandboxSources &from, int status_fd);

// The program's path: as given when it has a '/', else found in PATH; empty
// when there is none.
std::string find_in_path(const std::string &name);
