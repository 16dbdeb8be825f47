// What marking writes: per student a results.json in the marking service's
// format, and for a class summary.csv, index.html and timing.csv. Only
// timing.csv holds wall-clock times, so the others are the same on every
// run of the same submissions.
#pragma once

#include "marking.h"
#include "suite.h"

#include <string>
#include <vector>

// The results.json text for one submission.
std::string results_json(const SubmissionOutcome &s);

// Writes text to path; false with a message on stderr when it cannot.
bool write_text_file(const std::string &path, const std::string &text);

// Writes out/summary.csv, out/index.html, out/timing.csv and each
// out/<student>/results.json; false when a file cannot be written.
bool write_class_report(const std::string &out, const TestSuite &suite, const std::vector<SubmissionOutcome> &all);
