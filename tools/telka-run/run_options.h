// telka-run's command line: what to run, what to feed it, what to keep and
// when to stop. The options are the runner's own; the program gets none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct RunOptions {
    std::string program;             // as given: a path, or a name looked up in PATH
    std::string script_file;         // --script FILE
    std::string events;              // --events TEXT
    std::optional<uint64_t> max_events;
    std::string frames_dir;          // --frames DIR
    uint64_t every = 0;              // --every N; 0: not given
    bool last = false;               // --last
    std::string text_file;           // --text FILE
    std::optional<double> seconds;   // --seconds S
    uint64_t max_frames = 0;         // --max-frames N; 0: no limit
    std::string workdir;             // --workdir DIR; empty: a fresh temporary folder
    bool help = false;

    bool has_script() const { return !script_file.empty() || !events.empty(); }
};

// Parses argv; false (with a message on stderr) on a mistake.
bool parse_run_options(int argc, char **argv, RunOptions *out);

// The --help text.
const char *run_usage();
