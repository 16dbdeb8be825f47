// telka-grade's options (grade_options.h) as a table for the tools' common
// parser (command_line.h); the mode is checked here, so main() only dispatches.
#include "grade_options.h"

#include "command_line.h"

#include <cstdio>
#include <cstdlib>

const char *grade_usage() {
    return "usage: telka-grade TESTS SUBMISSIONS --out DIR [--jobs N] [--memory MB] [--no-sandbox] [--cflags TEXT]\n"
           "                   [--libs TEXT]\n"
           "       telka-grade TESTS --one SUBMISSION --results FILE [--out DIR] [...]\n"
           "       telka-grade TESTS --autograder ZIP\n"
           "       telka-grade TESTS --prepare\n"
           "Marks TELKA programs against a teacher's tests, each run compared frame by frame with the\n"
           "reference program's run (telka-run --expect).\n"
           "\n"
           "TESTS holds reference.c (or .cpp, or a reference/ folder) and one folder per test with\n"
           "script.scr, optional answers.txt, optional test.conf (weight, timeout, seconds, name = value)\n"
           "and optional expected/ (made from the reference program when missing); each file at most\n"
           "1 MiB, and any fault in them stops the marking before it starts.\n"
           "SUBMISSIONS holds one C/C++ file or one folder of them per student; every other entry\n"
           "(but hidden ones) gets a row saying it holds no source.\n"
           "\n"
           "  --out DIR         the class's marks: summary.csv, index.html, timing.csv (wall-clock\n"
           "                    times, the only file that differs between two runs) and DIR/<student>/\n"
           "                    with results.json, the build and each test's report; refused when it\n"
           "                    is, holds or lies inside TESTS, SUBMISSIONS or --one's SUBMISSION\n"
           "  --jobs N          submissions marked at once (default: the number of cores)\n"
           "  --memory MB       each run's address space (default 512; 0: no limit)\n"
           "  --no-sandbox      build and run without bubblewrap (trusted code only)\n"
           "  --cflags TEXT     compile flags (default: pkg-config --cflags telka; or TELKA_GRADE_CFLAGS)\n"
           "  --libs TEXT       link flags (default: pkg-config --libs telka; or TELKA_GRADE_LIBS)\n"
           "  --one SUBMISSION  mark one submission; --results FILE gets its results.json\n"
           "  --autograder ZIP  write a marking service's autograder zip: setup.sh, run_autograder,\n"
           "                    the tests and the installed library\n"
           "  --prepare         make the missing expected runs, and nothing else\n"
           "\n"
           "Exit status: 0 marked (whatever the marks), 2 bad usage or tests folder, 3 could not mark\n"
           "(no telka-run, no sandbox, the reference does not build or run, or telka-run could not\n"
           "judge some run: the files are written, those runs marked runner-error).\n";
}

bool parse_grade_options(int argc, char **argv, GradeOptions *o) {
    if (const char *v = std::getenv("TELKA_GRADE_CFLAGS")) o->cflags = v;
    if (const char *v = std::getenv("TELKA_GRADE_LIBS")) o->libs = v;
    int positional = 0;
    // clang-format off
    const CommandLine line = {
        .tool = "telka-grade",
        .no_value = "wants a value",
        .unknown_hint = "",
        .options = {
            {.name = "out", .target = &o->out},
            {.name = "one", .target = &o->one},
            {.name = "results", .target = &o->results},
            {.name = "autograder", .target = &o->autograder},
            {.name = "prepare", .target = &o->prepare},
            {.name = "no-sandbox", .target = &o->sandbox, .flag_value = false},
            {.name = "cflags", .target = &o->cflags},
            {.name = "libs", .target = &o->libs},
            {.name = "memory", .target = &o->memory_mb, .max = 1048576, .wants = "megabytes, 0 for no limit"},
            {.name = "jobs", .target = &o->jobs, .min = 1, .max = 256, .wants = "a whole number from 1 to 256"},
        },
        .operand = [&](const char *a) {
            if (positional == 0) {
                o->tests = a;
            } else if (positional == 1) {
                o->submissions = a;
            } else {
                std::fprintf(stderr, "telka-grade: one TESTS folder and one SUBMISSIONS folder, not '%s' as well\n", a);
                return false;
            }
            ++positional;
            return true;
        },
    };
    // clang-format on
    if (!parse_command_line(line, argc, argv, &o->help)) return false;
    if (o->help) return true;
    const int modes = !o->submissions.empty() + !o->one.empty() + !o->autograder.empty() + o->prepare;
    const char *problem = nullptr;
    if (o->tests.empty())
        problem = "no TESTS folder given";
    else if (modes != 1)
        problem = "give exactly one of SUBMISSIONS, --one, --autograder or --prepare";
    else if (!o->submissions.empty() && o->out.empty())
        problem = "marking a class needs --out DIR";
    else if (!o->one.empty() && o->results.empty())
        problem = "--one needs --results FILE";
    if (problem) {
        std::fprintf(stderr, "telka-grade: %s\n%s", problem, grade_usage());
        return false;
    }
    return true;
}
