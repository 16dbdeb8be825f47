// Parsing telka-run's options: every value is checked here, so the run
// itself starts only with settings that make sense.
#include "run_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool parse_count(const char *option, const char *text, uint64_t *out) {
    char *end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (!*text || *end || text[0] == '-' || v == 0) {
        std::fprintf(stderr, "telka-run: %s wants a whole number above 0, not '%s'\n", option, text);
        return false;
    }
    *out = v;
    return true;
}

bool parse_seconds(const char *text, double *out) {
    char *end = nullptr;
    const double v = std::strtod(text, &end);
    if (!*text || *end || !(v > 0) || v > 1e8) {
        std::fprintf(stderr, "telka-run: --seconds wants a number of seconds above 0, not '%s'\n", text);
        return false;
    }
    *out = v;
    return true;
}

// Limits take 0 for "none".
bool parse_limit_seconds(const char *option, const char *text, double *out) {
    char *end = nullptr;
    const double v = std::strtod(text, &end);
    if (!*text || *end || !(v >= 0) || v > 1e7) {
        std::fprintf(stderr, "telka-run: %s wants a number of seconds, 0 for none, not '%s'\n", option, text);
        return false;
    }
    *out = v;
    return true;
}

bool parse_limit_count(const char *option, const char *text, uint64_t *out) {
    char *end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (!*text || *end || text[0] == '-' || v > (1ull << 40)) {
        std::fprintf(stderr, "telka-run: %s wants a whole number, 0 for none, not '%s'\n", option, text);
        return false;
    }
    *out = v;
    return true;
}

}  // namespace

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

bool parse_run_options(int argc, char **argv, RunOptions *out) {
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        auto value = [&](const char **v) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "telka-run: %s needs a value\n", a);
                return false;
            }
            *v = argv[++i];
            return true;
        };
        const char *v = nullptr;
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            out->help = true;
            return true;
        } else if (std::strcmp(a, "--script") == 0) {
            if (!value(&v)) return false;
            out->script_file = v;
        } else if (std::strcmp(a, "--events") == 0) {
            if (!value(&v)) return false;
            out->events = v;
        } else if (std::strcmp(a, "--max-events") == 0) {
            uint64_t n = 0;
            if (!value(&v) || !parse_count(a, v, &n)) return false;
            out->max_events = n;
        } else if (std::strcmp(a, "--frames") == 0) {
            if (!value(&v)) return false;
            out->frames_dir = v;
        } else if (std::strcmp(a, "--every") == 0) {
            if (!value(&v) || !parse_count(a, v, &out->every)) return false;
        } else if (std::strcmp(a, "--last") == 0) {
            out->last = true;
        } else if (std::strcmp(a, "--text") == 0) {
            if (!value(&v)) return false;
            out->text_file = v;
        } else if (std::strcmp(a, "--seconds") == 0) {
            double s = 0;
            if (!value(&v) || !parse_seconds(v, &s)) return false;
            out->seconds = s;
        } else if (std::strcmp(a, "--max-frames") == 0) {
            if (!value(&v) || !parse_count(a, v, &out->max_frames)) return false;
        } else if (std::strcmp(a, "--workdir") == 0) {
            if (!value(&v)) return false;
            out->workdir = v;
        } else if (std::strcmp(a, "--timeout") == 0) {
            if (!value(&v) || !parse_limit_seconds(a, v, &out->timeout)) return false;
        } else if (std::strcmp(a, "--cpu") == 0) {
            double s = 0;
            if (!value(&v) || !parse_limit_seconds(a, v, &s)) return false;
            out->cpu = s;
        } else if (std::strcmp(a, "--memory") == 0) {
            if (!value(&v) || !parse_limit_count(a, v, &out->memory_mb)) return false;
        } else if (std::strcmp(a, "--file-size") == 0) {
            if (!value(&v) || !parse_limit_count(a, v, &out->file_size_mb)) return false;
        } else if (std::strcmp(a, "--processes") == 0) {
            if (!value(&v) || !parse_limit_count(a, v, &out->processes)) return false;
        } else if (std::strcmp(a, "--answers") == 0) {
            if (!value(&v)) return false;
            out->answers_file = v;
        } else if (std::strcmp(a, "--result") == 0) {
            if (!value(&v)) return false;
            out->result_file = v;
        } else if (std::strcmp(a, "--save") == 0) {
            if (!value(&v)) return false;
            out->save_dir = v;
        } else if (std::strcmp(a, "--expect") == 0) {
            if (!value(&v)) return false;
            out->expect_dir = v;
        } else if (std::strcmp(a, "--report") == 0) {
            if (!value(&v)) return false;
            out->report_dir = v;
            out->report_given = true;
        } else if (std::strcmp(a, "--sandbox") == 0) {
            out->sandbox = true;
        } else if (a[0] == '-' && a[1] != '\0') {
            std::fprintf(stderr, "telka-run: unknown option '%s' (telka-run --help lists them)\n", a);
            return false;
        } else if (out->program.empty()) {
            out->program = a;
        } else {
            std::fprintf(stderr, "telka-run: one program at a time ('%s' and '%s'); TELKA programs take no arguments\n",
                         out->program.c_str(), a);
            return false;
        }
    }
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
