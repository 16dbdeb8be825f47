// The text window: a ring of the last 25 lines of output, shown newest at the
// bottom, and its window procedure, which passes keys on to the graphics window;
// and the drawing calls' log, which goes there and to a listening debugger.
#pragma once

#include <windows.h>

#include "telka.h"

// A drawing call's log text, formatted once: printed as a text window line
// while logging is on, and handed to a listening debugger (the headless
// runner's record) as "TELKA call: TEXT\n" whether logging is on or not.
// A known call site (lib.callFile, from a traced form) goes first, as
// "TELKA site: LINE FILE\n", and is forgotten.
void log_drawing_call(const char *format, ...) TELKA_PRINTF(1, 2);
// Each event a wait returns, to a listening debugger as "TELKA event: KIND X
// Y KEY\n" (KEY as a number 0..255): what the explaining of a run labels its
// frames with.
void announce_event(int32_t kind, int32_t x, int32_t y, char key);

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void text_window_paint(HWND window);
