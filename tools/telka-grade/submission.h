// One student's hand-in as the grader reads it: the name it is marked
// under, where it came from and its sources, or why it has none.
#pragma once

#include <string>
#include <vector>

struct Submission {
    std::string name;                  // the student: the file's stem or the folder's name, made safe and unique
    std::string original;              // the file's or folder's name as handed in
    std::string origin;                // the file or folder it came from
    std::string problem;               // why there is nothing to build (no source), or empty
    std::string root;                  // the folder its sources are relative to
    std::vector<std::string> sources;  // paths relative to root, sorted
};
