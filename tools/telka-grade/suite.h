// What the grader marks: the teacher's TESTS folder (a reference program and
// one folder per test) and the submissions (a C/C++ file or a folder of them
// per student), read from disk into sorted lists.
#pragma once

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

struct Submission {
    std::string name;                  // the student: the file's stem or the folder's name, made safe for paths
    std::string origin;                // the file or folder it came from
    std::string root;                  // the folder its sources are relative to
    std::vector<std::string> sources;  // paths relative to root, sorted
};

// Reads TESTS; false with a message on stderr when it cannot be used.
bool read_test_suite(const std::string &folder, TestSuite *out);

// One submission from a file or folder, named `name` (made safe); false with
// a message when it holds no C or C++ source.
bool read_submission(const std::string &path, const std::string &name, Submission *out);

// Every submission in a folder, sorted by name; entries that are not
// submissions are named on stderr and skipped. Duplicate names get -2, -3...
std::vector<Submission> read_submissions(const std::string &folder);

// A name fit for a folder and a CSV cell: letters, digits and . _ - + @ kept,
// anything else '_', and never starting with '.'.
std::string safe_name(const std::string &name);

bool is_source_file(const std::string &path);
