// What the grader marks: the teacher's TESTS folder (a reference program and
// one folder per test) and the submissions (a C/C++ file or a folder of them
// per student), read from disk into sorted lists.
#pragma once

#include "submission.h"

#include <string>
#include <vector>

struct TestCase {
    std::string folder;    // absolute path of the test's folder
    std::string id;        // the folder's name: used for paths and CSV columns
    std::string name;      // test.conf `name`, else the id
    std::string script;    // folder/script.scr
    std::string answers;   // folder/answers.txt, or empty
    std::string expected;  // folder/expected
    double weight = 1;
    double timeout = 30;  // wall-clock seconds
    double seconds = 0;   // virtual seconds; 0: telka-run's default
};

struct TestSuite {
    std::string folder;
    std::vector<std::string> reference_sources;  // empty: no reference program
    std::vector<TestCase> tests;                 // sorted by id
};

// Reads TESTS; false with a message on stderr for each fault when it cannot
// be used: a test's file that is not a regular file of at most
// kTestFileLimit bytes, a bad test.conf line, a test-like folder with no
// script.scr, an expected/ that is not a whole saved run.
bool read_test_suite(const std::string &folder, TestSuite *out);

// One submission from a file or folder, named `name` (made safe); false with
// a message, and `problem` saying why, when it holds no C or C++ source.
bool read_submission(const std::string &path, const std::string &name, Submission *out);

// Every entry of a folder but hidden ones, sorted by their unique names
// (give_unique_names); one with no C or C++ source is kept with its problem.
std::vector<Submission> read_submissions(const std::string &folder);

bool is_source_file(const std::string &path);
