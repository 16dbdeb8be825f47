// The files telka-grade writes at the top of a class's out folder, beside
// one folder per student: a student's folder may never take one of these
// names (submission_names.cpp), so each is named here once.
#pragma once

constexpr const char *kSummaryFile = "summary.csv";
constexpr const char *kIndexFile = "index.html";
constexpr const char *kTimingFile = "timing.csv";
constexpr const char *kReferenceWork = ".reference";  // the reference's build and expected runs

constexpr const char *kOutFolderNames[] = {kSummaryFile, kIndexFile, kTimingFile, kReferenceWork};
