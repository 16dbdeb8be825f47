// Marking: the reference's expected runs, and one submission built and run
// against every test through telka-run (--expect, --result, limits,
// sandbox), each outcome turned into a score and words for the student.
#pragma once

#include "build_program.h"
#include "suite.h"

#include <string>
#include <vector>

struct MarkSettings {
    std::string runner;  // telka-run
    BuildFlags flags;
    bool sandbox = true;
    unsigned memory_mb = 512;  // each run's address space; 0: no limit
    std::string out;           // absolute; each submission gets out/<name>
    std::string reference;     // the reference program, built, when the tests folder has one; empty: none
};

struct TestOutcome {
    std::string id;
    std::string name;
    double score = 0;
    double max_score = 0;
    // passed, differs, crashed, time-limit, no-answer, stopped, exit-status,
    // not-started, not-built or runner-error
    std::string status;
    std::string output;     // for the student
    std::string report;     // report.html relative to out, or empty
    std::string thumbnail;  // the report's actual.png relative to out, or empty
    double seconds = 0;     // wall-clock; kept out of the deterministic files
};

struct SubmissionOutcome {
    std::string name;
    std::string original;  // the name as handed in
    std::string problem;   // why nothing could be built (no source), or empty
    bool built = false;
    bool marking_failed = false;  // the grader could not build it (its sandbox failed): no mark was given
    std::string build_log;
    std::vector<TestOutcome> tests;
    double score = 0;
    double max_score = 0;
    double build_seconds = 0;
};

// Makes each test's expected/ that is missing, from the reference program
// (built once under work/, unsandboxed: it is the teacher's). False with a
// message when a test has no expected run and none can be made.
// The reference program, when there is one, is built into `work` and named
// in settings->reference: each report then tells how it drew the first pixel
// that differs.
bool make_expected_runs(const TestSuite &suite, MarkSettings *settings, const std::string &work);

SubmissionOutcome mark_submission(const Submission &s, const TestSuite &suite, const MarkSettings &settings);
