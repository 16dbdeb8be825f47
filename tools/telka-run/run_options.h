// telka-run's command line: what to run, what to feed it, what to keep and
// when to stop. The options are the runner's own; the program gets none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ExplainPoint {
    int32_t x = 0, y = 0;
};

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

    // Marking: limits, isolation, a judged result and a comparison.
    double timeout = 60;                      // --timeout S, wall clock; 0: none
    std::optional<double> cpu;                // --cpu S; unset: the timeout rounded up; 0: none
    uint64_t memory_mb = 0;                   // --memory MB (address space); 0: none
    uint64_t file_size_mb = 64;               // --file-size MB; 0: none
    uint64_t processes = 0;                   // --processes N; 0: none
    std::string answers_file;                 // --answers FILE
    std::string result_file;                  // --result FILE
    std::string save_dir;                     // --save DIR
    std::string expect_dir;                   // --expect DIR
    std::string report_dir = "telka-report";  // --report DIR (with --expect)
    std::string reference;                    // --reference PROGRAM (with --expect): the program that made it
    bool report_given = false;
    bool sandbox = false;  // --sandbox

    // Explaining: the history of each pixel, in the program's coordinates,
    // at frame `at` (0: the run's last).
    std::vector<std::string> explain;  // --explain X,Y, each as given
    std::vector<ExplainPoint> points;  // and read
    uint64_t at = 0;                   // --at FRAME

    bool has_script() const { return !script_file.empty() || !events.empty(); }
    // With a result or a comparison, telka-run's exit status is its judgement.
    bool judged() const { return !result_file.empty() || !expect_dir.empty(); }
    // The program's files are written inside its folder and moved out after.
    bool managed() const { return judged() || sandbox || !save_dir.empty(); }
};

// Parses argv; false (with a message on stderr) on a mistake.
bool parse_run_options(int argc, char **argv, RunOptions *out);

// The --help text.
const char *run_usage();
