// Students' folder names in the out folder: made safe for paths and CSV
// cells, and made unique against one another and against the class's own
// files (out_layout.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct Submission;

// The longest safe name before a "-N" that makes it unique.
constexpr size_t kNameLimit = 80;

// A name fit for a folder and a CSV cell: letters, digits and . _ - + @ kept,
// anything else '_', never starting with '.', at most kNameLimit bytes.
std::string safe_name(const std::string &name);

// Gives each submission a name no other has and that is none of the out
// folder's own files, ignoring case (an out folder on a FAT or SMB mount
// folds it). The first of a name keeps it; the others get the first free
// "-2", "-3"... so an appended name never takes someone else's own name.
// The list ends sorted by the new names.
void give_unique_names(std::vector<Submission> *subs);
