// Reading a file the tools did not make (a teacher's test file, what a
// student's program wrote) only when it is a regular file, and only up to
// a cap: never waiting on a FIFO, never reading a device, never more than
// the cap into memory. POSIX.
#pragma once

#include <cstdint>
#include <string>

enum class PlainFile { read, missing, refused };

// Opens `path` for reading when it is a regular file; a symbolic link is
// followed only with `follow_link`, and only to a regular file. -1 with
// *error naming the file and what it is otherwise (*missing: nothing there).
int open_regular_file(const std::string &path, bool follow_link, bool *missing, std::string *error);

// Reads such a file whole when it holds at most `cap` bytes; a larger one is
// refused, or with `cut` its first `cap` bytes are read.
PlainFile read_plain_file(const std::string &path, uint64_t cap, bool follow_link, bool cut, std::string *text,
                          std::string *error);
