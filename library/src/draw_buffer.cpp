// Whole-buffer operations: clearing the back buffer, copying it to the window
// on demand, and the retired undo.
#include "lib_state.h"
#include "palette.h"
#include "telka.h"
#include "text_window.h"

// White inside; the DC's own one-pixel black pen outlines the buffer's edge.
static void erase_back_buffer(void) {
    HBRUSH brush = CreateSolidBrush(colorValues[TELKA_WHITE]);
    HGDIOBJ oldBrush = SelectObject(lib.memDC, brush);
    Rectangle(lib.memDC, 0, 0, kBackBufferWidth, kBackBufferHeight);
    SelectObject(lib.memDC, oldBrush);
    DeleteObject(brush);
    lib.backBufferDirty = 1;
}

int TELKA_clear(void) {
    log_drawing_call("Clearing the graphics window\n");
    erase_back_buffer();
    return 1;
}

int TELKA_flush(void) {
    log_drawing_call("Flushing the graphics window\n");
    if (lib.backBufferDirty) {
        BitBlt(lib.graphicsDC, 0, 0, kBackBufferWidth, kBackBufferHeight, lib.memDC, 0, 0, SRCCOPY);
        lib.backBufferDirty = 0;
    }
    return 1;
}

int TELKA_undo(void) {
    TELKA_printf("TELKA_undo is no longer supported.\n");
    return 1;
}
