// The web backend's shared declarations: the functions of its JavaScript side
// (web_glue.js, linked as an Emscripten JS library) and the layout of the
// input records that side queues. Only the web_*.cpp files include this.
#pragma once

#include "backends/backend.h"

#include <cstddef>
#include <cstdint>

namespace standin {

// An input record as web_glue.js writes it: kWebRecordFields int32 values.
enum WebRecordField {
    kWebKind,      // a WebRecordKind
    kWebHost,      // HostId of the canvas, 0: the active window
    kWebKeyCode,   // KeyboardEvent.keyCode
    kWebLocation,  // KeyboardEvent.location: 0 standard, 1 left, 2 right, 3 numpad
    kWebMods,      // kKeyShift, kKeyControl, kKeyAlt, kKeyCapsLock, kKeyNumLock
    kWebRepeat,    // 1 for an auto-repeated key
    kWebButton,    // 1 left, 2 middle, 3 right
    kWebX,         // canvas pixels
    kWebY,
    kWebRecordFields,
};

enum WebRecordKind {
    kWebKeyDown = 1,
    kWebKeyUp = 2,
    kWebButtonDown = 3,
    kWebButtonUp = 4,
    kWebMotion = 5,
    kWebFocusIn = 6,
    kWebCloseRequest = 7,
};

// Driver slots kept in files of their own (web_present.cpp, web_wait.cpp).
void web_present(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride, const HostRect *rects,
                 int count);
void web_wait(int64_t deadline_ns);

// A key of a US keyboard as Windows reports it.
struct WebKey {
    int vk = 0;             // 0: no Windows counterpart
    int scan = 0;           // set-1 scan code
    bool extended = false;  // lParam bit 24
};

// The virtual key, scan code and extended flag of a browser key.
WebKey web_key(int key_code, int location);

// Turns one record into the core's InputEvent; false when it means nothing
// to the core (a key with no Windows counterpart, an unknown kind).
bool web_translate(const int32_t *record, InputEvent *event);

}  // namespace standin

// The JavaScript side (web_glue.js). Strings are Windows-1252, NUL-terminated.
extern "C" {
void web_js_init(void);
void web_js_shutdown(void);
int web_js_create_host(int id, const char *title, int x, int y, int width, int height, int owner, int dialog);
void web_js_destroy_host(int id);
void web_js_show_host(int id, int visible);
void web_js_set_title(int id, const char *title);
// Copies `count` rectangles (x, y, w, h in `rects`, already clipped and not
// empty) of a width x height surface of 0x00RRGGBB pixels (`stride` per row)
// onto the host's canvas; count 0 only counts the frame.
void web_js_present(int id, const uint32_t *pixels, int width, int height, int stride, const int32_t *rects,
                    int count);
// Suspends the program (Asyncify) until input is queued or timeout_ms passes
// (negative: no timeout), letting the browser run meanwhile.
void web_js_wait(double timeout_ms);
// Moves the oldest queued record into `record`; 0 when the queue is empty.
int web_js_take_record(int32_t *record);
int web_js_pending(void);
void web_js_screen_size(int32_t *width_height);
}
