// The teacher's files a test is made of, checked before anyone is marked:
// script.scr, answers.txt and test.conf must be regular files of a bounded
// size, and a saved expected/ run must have every file telka-run reads.
#pragma once

#include <cstddef>
#include <string>

// The most a script.scr, answers.txt or test.conf may hold.
constexpr size_t kTestFileLimit = 1024 * 1024;

enum class TestFile { Missing, Read, Bad };

// Reads a test's file without blocking on a FIFO or opening a device: a
// symbolic link is followed only to a regular file. Missing when nothing is
// there; Bad with *error naming the file when it is not a regular file of
// at most `limit` bytes or cannot be read.
TestFile read_test_file(const std::string &path, size_t limit, std::string *text, std::string *error);

// True when `path` names anything, a dangling link or a FIFO included.
bool path_exists(const std::string &path);

// False with *error naming the folder and what is missing when `folder` is
// not a whole saved run (record.tsv, text.txt and a picture per frame).
bool check_saved_run(const std::string &folder, std::string *error);
