// The staging of a sandboxed run when telka-run runs as root: the program
// runs as nobody, so what bwrap must reach is copied or moved into a folder
// of nobody's under /tmp, and what the program wrote is moved back. POSIX.
#pragma once

#include <sys/types.h>

#include <string>

// Who a sandboxed program runs as when telka-run itself is root.
constexpr uid_t kSandboxUid = 65534;
constexpr gid_t kSandboxGid = 65534;

struct SandboxStage {
    std::string dir;      // the staging folder, owned by the sandbox's user
    std::string program;  // the program's copy, read-only
    std::string workdir;  // stands in for the work folder
};

// Makes the staging folder under TMPDIR (or /tmp), copies the program into
// it and moves the work folder's files into it, handed to the sandbox's
// user. False, with `*error` set and nothing left behind, when it cannot.
bool stage_sandbox(const std::string &program, const std::string &workdir, SandboxStage *stage, std::string *error);

// Moves what the staged folder holds back into the work folder, owned by
// that folder's owner, and removes the staging folder. Only plain files and
// folders come back. False, with `*error` set, when something could not be.
bool unstage_sandbox(const SandboxStage &stage, const std::string &workdir, std::string *error);
