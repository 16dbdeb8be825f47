// Finding a program to run as a shell finds it: a name with a '/' is taken
// as given, a bare name is looked for in each folder of PATH. POSIX.
#pragma once

#include <string>

// A regular file this process may execute.
bool executable_file(const std::string &path);

// The program's path: as given when it has a '/', else the first match in
// PATH (an empty entry is the current folder, as execvp takes it; no PATH:
// /usr/local/bin:/usr/bin:/bin), made absolute; empty when there is none.
std::string find_program(const std::string &name);
