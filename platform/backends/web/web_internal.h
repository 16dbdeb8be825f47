// The web backend's shared declarations: the functions of its JavaScript side
// (WebAssembly imports of module "telka", which the page's runtime provides)
// and the layout of the input records that side queues. Only the web_*.cpp
// files include this.
#pragma once

#include "backends/backend.h"

#include <cstddef>
#include <cstdint>

namespace standin {

// An input record as the page's take_record writes it: kWebRecordFields int32 values.
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
    kWebTyped,  // a key down's InputEvent::typed, from the page's layout; a text record's code point
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
    kWebText = 8,  // a character without a key (an input method, an on-screen keyboard, dictation)
};

// Driver slots kept in files of their own (web_present.cpp, web_wait.cpp).
void web_present(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride, const HostRect *rects,
                 int count);
void web_wait(int64_t deadline_ns);

// The one clock of the backend: CLOCK_MONOTONIC, in nanoseconds.
int64_t web_now_ns();

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

// The JavaScript side: imports of module "telka", named as the page's runtime
// exports them; the C names carry a prefix, since names such as wait are
// taken by the C library. Strings are Windows-1252, NUL-terminated; pointers
// are offsets into the program's memory.
#define TELKA_WEB_IMPORT(name) __attribute__((import_module("telka"), import_name(#name)))
extern "C" {
TELKA_WEB_IMPORT(init) void web_js_init(void);
TELKA_WEB_IMPORT(shutdown) void web_js_shutdown(void);
// Makes a canvas for host `id`, hidden until shown; 0 when the page cannot.
TELKA_WEB_IMPORT(host_create)
int web_js_host_create(int id, const char *title, int x, int y, int width, int height, int owner, int dialog);
TELKA_WEB_IMPORT(host_destroy) void web_js_host_destroy(int id);
TELKA_WEB_IMPORT(host_show) void web_js_host_show(int id, int visible);
TELKA_WEB_IMPORT(host_set_title) void web_js_host_set_title(int id, const char *title);
// Copies `count` rectangles (x, y, w, h in `rects`, already clipped and not
// empty) of a width x height surface of 0x00RRGGBB pixels (`stride` per row)
// onto the host's canvas; count 0 only counts the frame.
TELKA_WEB_IMPORT(present)
void web_js_present(int id, const uint32_t *pixels, int width, int height, int stride, const int32_t *rects,
                    int count);
// Blocks until input is queued or timeout_ms passes (negative: no timeout),
// letting the page run meanwhile.
TELKA_WEB_IMPORT(wait) void web_js_wait(double timeout_ms);
// Moves the oldest queued record into `record`; 0 when the queue is empty.
TELKA_WEB_IMPORT(take_record) int web_js_take_record(int32_t *record);
TELKA_WEB_IMPORT(pending) int web_js_pending(void);
// Ends the program: an allocation of `size` bytes failed (web_memory.cpp).
TELKA_WEB_IMPORT(out_of_memory) [[noreturn]] void web_js_out_of_memory(size_t size);
// The page's viewport: width, height.
TELKA_WEB_IMPORT(screen_size) void web_js_screen_size(int32_t *width_height);
}
#undef TELKA_WEB_IMPORT
