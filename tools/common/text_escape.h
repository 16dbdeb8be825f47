// Text made safe for the runner's and the grader's output files: a JSON
// string (always valid UTF-8: a program's text may hold any bytes) and
// number, and HTML text (also safe inside a quoted attribute).
#pragma once

#include <string>

// `text` as a quoted JSON string; bytes that are not UTF-8 become U+FFFD.
std::string json_string(const std::string &text);

// A number as JSON writes it: whole numbers without a point; one that is
// not finite is 0.
std::string json_number(double v);

// `text` with & < > " ' written as entities.
std::string html_text(const std::string &text);
