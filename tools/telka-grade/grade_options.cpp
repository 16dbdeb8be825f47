// Parsing telka-grade's options (grade_options.h); the mode is checked
// here, so main() only dispatches.
#include "grade_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string *out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "telka-grade: %s wants a value\n", a.c_str());
                return false;
            }
            *out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "-h" || a == "--help") {
            o->help = true;
            return true;
        } else if (a == "--out") {
            if (!value(&o->out)) return false;
        } else if (a == "--one") {
            if (!value(&o->one)) return false;
        } else if (a == "--results") {
            if (!value(&o->results)) return false;
        } else if (a == "--autograder") {
            if (!value(&o->autograder)) return false;
        } else if (a == "--prepare") {
            o->prepare = true;
        } else if (a == "--no-sandbox") {
            o->sandbox = false;
        } else if (a == "--cflags") {
            if (!value(&v)) return false;
            o->cflags = v;
        } else if (a == "--libs") {
            if (!value(&v)) return false;
            o->libs = v;
        } else if (a == "--memory") {
            if (!value(&v)) return false;
            char *end = nullptr;
            const unsigned long n = std::strtoul(v.c_str(), &end, 10);
            if (v.empty() || *end || v[0] == '-' || n > 1048576) {
                std::fprintf(stderr, "telka-grade: --memory wants megabytes, 0 for no limit, not '%s'\n", v.c_str());
                return false;
            }
            o->memory_mb = static_cast<unsigned>(n);
        } else if (a == "--jobs") {
            if (!value(&v)) return false;
            char *end = nullptr;
            const unsigned long n = std::strtoul(v.c_str(), &end, 10);
            if (v.empty() || *end || v[0] == '-' || n == 0 || n > 256) {
                std::fprintf(stderr, "telka-grade: --jobs wants a whole number from 1 to 256, not '%s'\n", v.c_str());
                return false;
            }
            o->jobs = static_cast<unsigned>(n);
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "telka-grade: unknown option '%s'\n", a.c_str());
            return false;
        } else if (positional == 0) {
            o->tests = a;
            ++positional;
        } else if (positional == 1) {
            o->submissions = a;
            ++positional;
        } else {
            std::fprintf(stderr, "telka-grade: one TESTS folder and one SUBMISSIONS folder, not '%s' as well\n",
                         a.c_str());
            return false;
        }
    }
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
