// The start and end of a steered headless run: a menu item chosen at the
// program's first wait (a script's playback), and the end of the run when
// that item's check mark goes, after a time or a number of frames, or when
// the program waits for input that will not come. The end closes the main
// window as a user would; a program that does not then end is stopped.
#pragma once

#include <cstdint>
#include <string>

namespace standin {

struct RunSettings {
    std::string main_window;   // title of the window closed at the end; empty: every top-level window
    std::string play_item;     // label (before any tab) of the menu item to choose; empty: none
    int64_t limit_ns = -1;     // virtual time at which the run ends; -1: none
    uint64_t frame_limit = 0;  // frames (headless_frame_count) after which it ends; 0: none
};

// Installs the headless wait and idle hooks that carry the run out.
void start_run_control(const RunSettings &settings);

}  // namespace standin
