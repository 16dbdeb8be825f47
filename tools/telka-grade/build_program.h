// Building a program from C/C++ sources with the library's compile and link
// flags: each source compiled on its own (cc for C, c++ for C++), then
// linked; for a submission inside the sandbox, for the reference outside.
// Sources are named ./NAME, so no file name is ever read as an option.
#pragma once

#include "suite.h"

#include <string>
#include <vector>

struct BuildFlags {
    std::vector<std::string> cflags;
    std::vector<std::string> libs;
};

struct BuildResult {
    bool ok = false;
    bool sandbox_failed = false;  // bwrap itself failed: the grader's fault, not the submission's
    std::string program;          // the built program (the grader's own copy), when ok
    std::string log;              // the compiler's messages, capped; also in folder/build.log
    double seconds = 0;
};

// Splits a flags text at blanks (pkg-config's output; single and double
// quotes group) and makes -I, -L and absolute paths canonical.
std::vector<std::string> split_flags(const std::string &text);

// The paths the flags name (-I, -L, plain absolute files) that exist: what
// a sandboxed build may read besides the system and the submission.
std::vector<std::string> flag_paths(const BuildFlags &flags);

// Builds the submission's files in a folder of their own and takes the
// program, a plain file only, into folder/program; the log goes to
// folder/build.log, written by the grader alone.
BuildResult build_submission(const Submission &s, const std::string &folder, const BuildFlags &flags, bool sandbox);
