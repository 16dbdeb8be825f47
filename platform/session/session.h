// Headless runs steered from outside the program (telka-run sets the
// environment): the text a window shows captured to a file, and the run's
// start and end. The process entry starts it before WinMain.
#pragma once

namespace standin {

// Reads STANDIN_HEADLESS_TEXT, _TEXT_WINDOW, _WINDOW, _PLAY_ITEM, _SECONDS
// and _FRAMES (backends/headless/README.md) and starts what they ask for;
// does nothing when none is set.
void start_session_from_environment();
// What is left to do when WinMain has returned (the windows still exist).
void finish_session();

}  // namespace standin
