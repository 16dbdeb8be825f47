// telka-grade's command line: the tests, what to mark (a class folder or one
// submission) or the autograder zip to make, and the build's flags.
#pragma once

#include <optional>
#include <string>

struct GradeOptions {
    std::string tests;                  // TESTS
    std::string submissions;            // SUBMISSIONS (marking a class)
    std::string out;                    // --out DIR
    std::string one;                    // --one SUBMISSION
    std::string results;                // --results FILE
    std::string autograder;             // --autograder ZIP
    bool prepare = false;               // --prepare: only make the missing expected runs
    unsigned jobs = 0;                  // --jobs N; 0: the number of cores
    unsigned memory_mb = 512;           // --memory MB for each run; 0: no limit
    bool sandbox = true;                // --no-sandbox turns it off
    std::optional<std::string> cflags;  // --cflags, or TELKA_GRADE_CFLAGS
    std::optional<std::string> libs;    // --libs, or TELKA_GRADE_LIBS
    bool help = false;
};

// Parses argv; false (with a message on stderr) on a mistake.
bool parse_grade_options(int argc, char **argv, GradeOptions *out);

const char *grade_usage();
