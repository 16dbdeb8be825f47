// Every line a window shows in its paints, written to a file in order: the
// strings TextOutA draws while that window paints, whatever DC they go to.
#pragma once

#include <string>

namespace standin {

// Captures the window titled `title` into `path` (replaced); false, with a
// message, when the file cannot be made.
bool start_text_capture(const std::string &path, const std::string &title);

// Paints the window once more if it has lines not yet captured: the lines
// printed after the program's last wait. Called before the program ends,
// while its windows still exist.
void flush_text_capture();

}  // namespace standin
