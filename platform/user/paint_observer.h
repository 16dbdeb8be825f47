// One observer of the paint cycle, for the headless session's text capture:
// it hears of every InvalidateRect call by the program and of the start and
// end of every paint. USER only reports; it never depends on what is done.
#pragma once

#include <windows.h>

namespace standin {

struct PaintObserver {
    // The program's InvalidateRect of `window` succeeded (called after the
    // update region grew; the observer may paint it at once).
    void (*invalidated)(HWND window) = nullptr;
    // BeginPaint of `window` returned a DC; EndPaint of it is about to free it.
    void (*paint_begins)(HWND window) = nullptr;
    void (*paint_ends)(HWND window) = nullptr;
};

// Replaces the observer (a default-made one turns observing off).
void set_paint_observer(const PaintObserver &observer);

}  // namespace standin
