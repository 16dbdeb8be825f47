// What every bwrap sandbox of telka-run and telka-grade shows of the system:
// the system's folders read-only, a private /tmp, /dev and /proc. Each tool
// adds its own folders, namespaces and command after it.
#pragma once

#include <string>
#include <vector>

// Appends the bwrap arguments of that view to *argv.
void add_system_view(std::vector<std::string> *argv);

// True when `path` lies in one of the system folders the view already shows.
bool in_system_folder(const std::string &path);
