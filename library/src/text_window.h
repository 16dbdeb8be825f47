// The text window: a ring of the last 25 lines of output, shown newest at the
// bottom, and its window procedure, which passes keys on to the graphics window;
// and the drawing calls' log, which goes there and to a listening debugger.
#pragma once

#include <windows.h>

#include "telka.h"

// A drawing call's log text, formatted once: printed as a text window line
// while logging is on, and handed to a listening debugger (the headless
// runner's record) as "TELKA call: TEXT\n" whether logging is on or not.
void log_drawing_call(const char *format, ...) TELKA_PRINTF(1, 2);

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void text_window_paint(HWND window);
