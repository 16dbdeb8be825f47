// What every bwrap sandbox of telka-run and telka-grade shows of the system:
// the system's folders read-only, a private /tmp, /dev and /proc. Each tool
// adds its own folders, namespaces and command after it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Appends the bwrap arguments of that view to *argv; a /tmp of at most
// `tmp_bytes` when that is not 0 (it is memory, not disk).
void add_system_view(std::vector<std::string> *argv, uint64_t tmp_bytes = 0);

// True when `path` lies in one of the system folders the view already shows.
bool in_system_folder(const std::string &path);
