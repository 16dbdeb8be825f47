// Opening "TELKA.SCR" as a stream that cannot freeze the program: only a
// regular file (or a link to one) is accepted, and the open never blocks.
#pragma once

#include <cstdio>

// Opens `name` in text mode for reading or for writing (created or
// truncated, and unbuffered so that every line is on disk once written).
// Null when it cannot be opened or is not a regular file: a FIFO, a device
// or a directory.
FILE *script_file_open(const char *name, bool writing);

// Cuts the file being written back to `size` bytes, so that a line the disk
// took only in part is not left behind.
void script_file_cut(FILE *file, long size);
