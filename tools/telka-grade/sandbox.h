// The bubblewrap command line that confines a submission's build: its own
// user namespace with no capabilities, the system's read-only folders, the
// library's paths read-only, the build's folder at a fixed place, a private
// /tmp, /dev and /proc, no network and a cleared environment.
#pragma once

#include "process.h"
#include "temp_folder.h"

#include <string>
#include <vector>

// Where the build's folder is seen inside the sandbox, so no host path
// reaches the compiler's messages.
constexpr const char *kBuildMount = "/build";

// The bwrap arguments up to and including "--" for a build whose folder is
// `build_dir` (seen at kBuildMount, started in kBuildMount/src); its status
// goes to kStatusFd. The command follows them.
std::vector<std::string> sandbox_prefix(const std::string &build_dir, const std::vector<std::string> &readable);

// The limits a build step runs under, inside the sandbox or not; in it, as
// the sandbox's user when the grader is root.
ProcessLimits build_limits(bool sandbox);

// True when bwrap made the sandbox the command ran in: a failure of bwrap's
// own (no namespaces, a path it cannot reach) is not the command's.
bool sandbox_started(const ProcessResult &p);

// Makes the same sandbox a build gets, with the library's `readable` paths,
// and runs a command in it. False with *why (bwrap's own words and what to
// do) when it cannot be made here.
bool sandbox_works(const std::vector<std::string> &readable, std::string *why);

// A fresh folder for one build under TMPDIR (or /tmp) with src/ and obj/,
// removed with its owner; handed to the sandbox's user when the grader is
// root: a folder under /root or a teacher's home may be closed to that
// user. Empty with *why set when it cannot be made.
TempFolder make_build_folder(std::string *why);

// Hands a build folder's tree to the sandbox's user (links themselves, never
// their targets); a no-op unless the grader is root.
bool hand_to_sandbox_user(const std::string &dir, std::string *why);
