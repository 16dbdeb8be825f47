// The sandbox's own work folder: a size-capped tmpfs inside the sandbox,
// filled from the caller's folder through bwrap's --dir/--file/--symlink
// (so no host path is bound in) and copied back out after the run, when no
// process of the sandbox is left to change it. POSIX.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// Where the program and its folder are inside the sandbox, whatever their
// host paths: nothing a program prints tells where it was marked.
constexpr const char *kInsideProgram = "/sandbox/program";
constexpr const char *kInsideWork = "/sandbox/work";

// The caps of a sandboxed run; both are tmpfs, so they cost memory up to them.
constexpr uint64_t kSandboxWorkBytes = uint64_t{256} << 20;
constexpr uint64_t kSandboxTmpBytes = uint64_t{64} << 20;
// Files and folders the caller's work folder may bring in (each takes a
// descriptor until bwrap has copied it).
constexpr size_t kMaxStagedEntries = 512;
// Files and folders copied back out, and how deep.
constexpr size_t kMaxCopiedEntries = 100000;
constexpr int kMaxCopiedDepth = 64;

struct StagedFiles {
    std::vector<std::string> args;  // bwrap arguments that recreate the folder inside
    std::vector<int> fds;           // the descriptors they name, to keep open in bwrap
    StagedFiles() = default;
    StagedFiles(const StagedFiles &) = delete;
    StagedFiles &operator=(const StagedFiles &) = delete;
    ~StagedFiles();
};

// The arguments that put the program (read-only) and the caller's work
// folder inside the sandbox. False with `*error` set when the folder
// cannot be read or holds more than kMaxStagedEntries entries.
bool stage_work_folder(const std::string &program, const std::string &workdir, StagedFiles *out, std::string *error);

// Copies the plain files and folders under `work_fd` (the sandbox's work
// folder, held open past the sandbox's end) into `workdir`, owned by that
// folder's owner; links, pipes and devices stay behind. False with `*error`
// set when something could not be copied.
bool copy_out_work(int work_fd, const std::string &workdir, std::string *error);
