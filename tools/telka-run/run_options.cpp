// telka-run's options as a table for the tools' common parser
// (command_line.h), and the checks between them: the run itself starts only
// with settings that make sense.
#include "run_options.h"

#include "command_line.h"

#include <climits>
#include <cstdio>

const char *run_usage() {
    return "usage: telka-run PROGRAM [options]\n"
           "Runs a TELKA program without a display, on a virtual clock, and keeps what it showed.\n"
           "\n"
           "Input:\n"
           "  --script FILE     play FILE (the TELKA.SCR format) from the program's first wait,\n"
           "                    as Run > Playback Script does; the run ends when it has been played\n"
           "  --events TEXT     the same with the events written out, e.g.\n"
           "                    'TELKA_MOUSE(-100, 50); TELKA_KBD(97); TELKA_PERIODIC(20)'\n"
           "  --max-events N    play only the first N events of the script\n"
           "Output:\n"
           "  --frames DIR      the graphics window's frames as DIR/frame-NNNNNN.png\n"
           "                    (every frame, unless --every or --last says which)\n"
           "  --every N         only frames N, 2N, 3N, ...\n"
           "  --last            the last frame, as DIR/last.png\n"
           "  --text FILE       every line the program printed in its text window, in order\n"
           "End:\n"
           "  --seconds S       end after S seconds of the program's time\n"
           "                    (default 60; 3600 with a script, which ends the run itself)\n"
           "  --max-frames N    end after the Nth frame\n"
           "  --workdir DIR     run in DIR (default: a new temporary folder, removed afterwards)\n"
           "  --answers FILE    each line-input dialog gets the next line of FILE\n"
           "Limits (0: none):\n"
           "  --timeout S       real seconds before the program is killed (default 60)\n"
           "  --cpu S           CPU seconds (default: the timeout)\n"
           "  --memory MB       address space   --file-size MB  largest file (default 64)\n"
           "  --processes N     processes at once (in the sandbox: its own; outside: the user's, never root's)\n"
           "  --sandbox         run it under bwrap: it sees the system, itself and its own folder\n"
           "Marking:\n"
           "  --result FILE     the run's result as JSON\n"
           "  --save DIR        keep the run (every frame, record, text, result) as a reference\n"
           "  --expect DIR      compare the run with the one saved in DIR; the first difference\n"
           "                    goes to --report DIR (default telka-report) and to stdout\n"
           "  --reference PROG  with --expect: the program that made DIR, run again to tell how\n"
           "                    it drew the first pixel that differs\n"
           "Explaining:\n"
           "  --explain X,Y     say which calls drew the pixel at (X, Y), in the program's coordinates,\n"
           "                    with their source lines and the event before the frame (may be repeated)\n"
           "  --at FRAME        the frame to explain (default: the run's last)\n"
           "\n"
           "The run ends when the program ends, when the script has been played, at --seconds or\n"
           "--max-frames, or when the program waits for input that will not come; the program's\n"
           "window is then closed as a user would close it. Two runs write the same files.\n"
           "Exit status: the program's; 4 when it did not end once its window was closed,\n"
           "2 for a mistake in the options or a script it cannot take, 126 when PROGRAM is there\n"
           "but cannot be run, 127 when it is not found (as in the shell), 124 at --timeout.\n"
           "With --result or --expect: 0 good, 1 not good (differs, crashed, limits, non-zero exit),\n"
           "2 bad usage or input, 3 the run could not be made or judged. See docs/headless.md.\n";
}

namespace {

// "X,Y" with two whole numbers that fit in 32 bits.
bool parse_point(const std::string &text, ExplainPoint *out) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    const auto number = [](const std::string &t, int32_t *v) {
        if (t.empty() || t.size() > 11) return false;
        size_t i = t[0] == '-' || t[0] == '+' ? 1 : 0;
        if (i == t.size() || t.find_first_not_of("0123456789", i) != std::string::npos) return false;
        const long long n = std::stoll(t);
        if (n < INT32_MIN || n > INT32_MAX) return false;
        *v = static_cast<int32_t>(n);
        return true;
    };
    return number(text.substr(0, comma), &out->x) && number(text.substr(comma + 1), &out->y);
}

}  // namespace

bool parse_run_options(int argc, char **argv, RunOptions *out) {
    // Limits take 0 for "none".
    const char *const kCount = "a whole number above 0";
    const char *const kLimitSeconds = "a number of seconds, 0 for none";
    const char *const kLimitCount = "a whole number, 0 for none";
    const double kLimitCountMax = static_cast<double>(uint64_t{1} << 40);
    // clang-format off
    const CommandLine line = {
        .tool = "telka-run",
        .no_value = "needs a value",
        .unknown_hint = " (telka-run --help lists them)",
        .options = {
            {.name = "script", .target = &out->script_file},
            {.name = "events", .target = &out->events},
            {.name = "max-events", .target = &out->max_events, .min = 1, .wants = kCount},
            {.name = "frames", .target = &out->frames_dir},
            {.name = "every", .target = &out->every, .min = 1, .wants = kCount},
            {.name = "last", .target = &out->last},
            {.name = "text", .target = &out->text_file},
            {.name = "seconds", .target = &out->seconds, .max = 1e8, .above_min = true,
             .wants = "a number of seconds above 0"},
            {.name = "max-frames", .target = &out->max_frames, .min = 1, .wants = kCount},
            {.name = "workdir", .target = &out->workdir},
            {.name = "timeout", .target = &out->timeout, .max = 1e7, .wants = kLimitSeconds},
            {.name = "cpu", .target = &out->cpu, .max = 1e7, .wants = kLimitSeconds},
            {.name = "memory", .target = &out->memory_mb, .max = kLimitCountMax, .wants = kLimitCount},
            {.name = "file-size", .target = &out->file_size_mb, .max = kLimitCountMax, .wants = kLimitCount},
            {.name = "processes", .target = &out->processes, .max = kLimitCountMax, .wants = kLimitCount},
            {.name = "answers", .target = &out->answers_file},
            {.name = "result", .target = &out->result_file},
            {.name = "save", .target = &out->save_dir},
            {.name = "expect", .target = &out->expect_dir},
            {.name = "report", .target = &out->report_dir, .given = &out->report_given},
            {.name = "reference", .target = &out->reference},
            {.name = "sandbox", .target = &out->sandbox},
            {.name = "explain", .target = &out->explain},
            {.name = "at", .target = &out->at, .min = 1, .wants = kCount},
        },
        .operand = [out](const char *a) {
            if (out->program.empty()) {
                out->program = a;
                return true;
            }
            std::fprintf(stderr, "telka-run: one program at a time ('%s' and '%s'); TELKA programs take no arguments\n",
                         out->program.c_str(), a);
            return false;
        },
    };
    // clang-format on
    if (!parse_command_line(line, argc, argv, &out->help)) return false;
    if (out->help) return true;
    if (out->program.empty()) {
        std::fprintf(stderr, "%s", run_usage());
        return false;
    }
    if (!out->script_file.empty() && !out->events.empty()) {
        std::fprintf(stderr, "telka-run: --script and --events both give the script; use one\n");
        return false;
    }
    if (out->max_events && !out->has_script()) {
        std::fprintf(stderr, "telka-run: --max-events counts the events of --script or --events\n");
        return false;
    }
    if ((out->every || out->last) && out->frames_dir.empty()) {
        std::fprintf(stderr, "telka-run: --every and --last choose frames for --frames DIR\n");
        return false;
    }
    for (const std::string &point : out->explain) {
        ExplainPoint p;
        if (!parse_point(point, &p)) {
            std::fprintf(stderr, "telka-run: --explain wants a point X,Y such as 10,-20, not '%s'\n", point.c_str());
            return false;
        }
        out->points.push_back(p);
    }
    if (!out->reference.empty() && out->expect_dir.empty()) {
        std::fprintf(stderr, "telka-run: --reference names the program that made the run --expect DIR compares with\n");
        return false;
    }
    if (out->at && out->explain.empty()) {
        std::fprintf(stderr, "telka-run: --at says which frame --explain X,Y explains\n");
        return false;
    }
    if (out->report_dir.empty()) {
        std::fprintf(stderr, "telka-run: --report wants a folder\n");
        return false;
    }
    if (!out->save_dir.empty() && !out->expect_dir.empty()) {
        std::fprintf(stderr, "telka-run: --save and --expect both say where the run goes; use one\n");
        return false;
    }
    if (out->report_given && out->expect_dir.empty()) {
        std::fprintf(stderr, "telka-run: --report is where --expect DIR writes its comparison\n");
        return false;
    }
    if ((!out->save_dir.empty() || !out->expect_dir.empty()) && (!out->frames_dir.empty() || !out->text_file.empty())) {
        std::fprintf(stderr,
                     "telka-run: --save and --expect keep every frame and the text themselves; "
                     "--frames and --text go without them\n");
        return false;
    }
    return true;
}
