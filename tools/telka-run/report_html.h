// The comparison report of --expect for a student: report.txt (also what
// telka-run prints) and report.html, a page that opens from its folder with
// the expected, actual and difference pictures beside it.
#pragma once

#include "run_result.h"

#include <string>

// The facts of the run and its comparison in plain text.
std::string report_text(const RunResult &run, const Comparison &c);

// report.html; `images` says whether expected.png, actual.png and diff.png
// are there to show. False with `*error` when it cannot be written.
bool write_report_html(const std::string &path, const RunResult &run, const Comparison &c, bool expected_png,
                       bool actual_png, bool diff_png, std::string *error);
