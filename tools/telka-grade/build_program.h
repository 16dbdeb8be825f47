// Building a program from C/C++ sources with the library's compile and link
// flags: each source compiled on its own (cc for C, c++ for C++), then
// linked; for a submission inside the sandbox, for the reference outside.
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
    std::string program;  // the built program, when ok
    std::string log;      // the compiler's messages
    double seconds = 0;
};

// Splits a flags text at blanks (pkg-config's output; single and double
// quotes group) and makes -I, -L and absolute paths canonical.
std::vector<std::string> split_flags(const std::string &text);

// Copies the submission's files into folder/src and builds folder/program.
BuildResult build_submission(const Submission &s, const std::string &folder, const BuildFlags &flags, bool sandbox);
