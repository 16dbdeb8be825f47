// The text window: a ring of the last 25 lines of output, shown newest at the
// bottom, and its window procedure, which passes keys on to the graphics window.
#pragma once

#include <windows.h>

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void text_window_paint(HWND window);
