// The bubblewrap command line that confines a submission's build: the
// system's read-only folders, the given extra paths read-only, one folder
// read-write, a private /tmp, /dev and /proc, no network, nothing else.
#pragma once

#include <string>
#include <vector>

// The bwrap arguments up to and including "--"; the command follows them.
std::vector<std::string> sandbox_prefix(const std::string &writable, const std::vector<std::string> &readable,
                                        const std::string &cwd);

// True when bwrap can make a sandbox here; *why says what failed otherwise.
bool sandbox_works(std::string *why);
