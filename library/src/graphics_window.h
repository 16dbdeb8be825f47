// The graphics window's procedure, its "&Run" control menu and the commands
// behind it, and the application's switches for animation and logging.
#pragma once

#include <windows.h>

// Command identifiers of the "&Run" menu and the Ctrl+letter keys.
enum RunCommand {
    CMD_ANIMATE = 1,
    CMD_HALT = 2,
    CMD_ADVANCE_FRAME = 3,
    CMD_LOGGING = 4,
    CMD_RECORD = 5,
    CMD_PLAYBACK = 6,
    CMD_PLAY_ONE = 7,
    CMD_QUIT = 8,
    CMD_INFO = 9,  // the greyed information lines; no command handles it
};

LRESULT CALLBACK graphics_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows (non-zero) or hides the text window; returns what ShowWindow returns.
BOOL show_text_window(int show);
