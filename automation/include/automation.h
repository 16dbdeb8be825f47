// Automation of programs on the stand-in (not part of Win32), for tests,
// tools and telka-run: select the headless backend and drive it (virtual
// clock, injected input, hooks, frame dumps), read window pixels, PNG files,
// the state reset between tests, and steered runs: the STANDIN_HEADLESS_*
// settings read into one record, run control and text capture.
#pragma once

#include <windows.h>

#include "backends/headless/headless_backend.h"  // backend selection, the headless controls, kKey* bits
#include "steered_run_env.h"                     // RunSettings

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// ---- headless controls (they need the headless backend) ----

// The backend's own controls (clock, keys, typing, hooks, logs, frame dumps,
// reset) are in backends/headless/headless_backend.h, included above; these
// address windows.

// Mouse buttons at client coordinates of `window` (a top-level or child
// window); button 1 is left, 3 right.
void headless_mouse_down(HWND window, int x, int y, int button = 1, unsigned mods = 0);
void headless_mouse_up(HWND window, int x, int y, int button = 1, unsigned mods = 0);
void headless_click(HWND window, int x, int y, int button = 1, unsigned mods = 0);
// Pointer motion over a top-level window's host surface.
void headless_mouse_move(HWND window, int host_x, int host_y);

// Window-manager events for a top-level window.
void headless_close_request(HWND window);
void headless_focus(HWND window, bool gained);
void headless_resize(HWND window, int width, int height);
// Host-surface pixels that the window system lost (host coordinates).
void headless_expose(HWND window, const RECT &host_rect);

// Host-surface rectangles presented for a top-level window since the last call.
std::vector<RECT> headless_take_presents(HWND window);

// Frame dumps, fed by the backend's present observer (registered with the
// first of these calls). Writes every presented frame as
// DIR/frame-NNNNNN-hostN.png (the whole host surface); empty turns it off.
// A steered run sets it from STANDIN_HEADLESS_DUMP, with the selection below.
bool headless_set_dump_dir(const std::string &dir);
// Frames presented since the first of these calls: of the window the
// selection names, or of every window when it names none.
uint64_t headless_frame_count();
// Which frames are counted and written: only those of the host titled
// `window` (empty: every host, named by host), every `every`th of them (0:
// none), none after the `limit`th (0: no limit), and with `keep_last` the
// last one as last.png. A steered run sets it from its settings.
void headless_select_frames(const std::string &window, uint64_t every, uint64_t limit, bool keep_last);

// ---- window pixels (any backend) ----

struct PixelView {
    const uint32_t *pixels = nullptr;  // top-left pixel, 0x00RRGGBB
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;              // pixels per row
    uint32_t at(int x, int y) const { return pixels[y * stride + x]; }
};

// The whole host surface of a top-level window: menu bar strip and client area.
bool window_host_pixels(HWND window, PixelView *view);
// A window's client area as far as it shows on its top-level window's surface
// (children are cut by their ancestors); false when it is hidden or its
// top-left pixel does not show.
bool window_client_pixels(HWND window, PixelView *view);
// One client pixel, 0x00RRGGBB; 0xFFFFFFFF where the client area does not show.
uint32_t window_pixel(HWND window, int x, int y);
// Writes a top-level window's host surface as a PNG.
bool write_window_png(HWND window, const std::string &path);

// Writes an opaque RGB PNG of 0x00RRGGBB pixels; false (with nothing left
// half-written) on failure. PNG files alone link automation_png, without the
// rest of the automation.
bool write_png(const std::string &path, const uint32_t *pixels, int width, int height, ptrdiff_t stride);

// Reads any PNG into 0x00RRGGBB pixels (alpha dropped); false on failure.
// A picture whose header says it is wider than `max_width` or higher than
// `max_height` (0: no bound) is refused, with a message, before any pixel
// is decoded: its header alone decides what the decoding costs.
bool read_png(const std::string &path, std::vector<uint32_t> *pixels, int *width, int *height, int max_width = 0,
              int max_height = 0);

// ---- steered runs (telka-run sets the environment: RunSettings and its
// reader are steered_run_env.h's, included above) ----

// Writes every line the program prints to its text window (handed out by
// OutputDebugStringA) into `path`, replaced; false, with a message, when the
// file cannot be made.
bool start_text_capture(const std::string &path);

// The run's record: a tab-separated line per drawing call and per frame of
// the main window, as backends/headless/README.md states it, written to
// `path` as the run goes and ended at exit; false, with a message, when the
// file cannot be made. Needs the headless backend (frames are its presents).
bool start_run_record(const std::string &path);
// The run's report: key=value lines saying why the run ended and its counts,
// written to `path` when the run control ends the run and at exit; false,
// with a message, when the file cannot be made.
bool start_run_report(const std::string &path);

// Explains frame `frame` of the main window (from 1): its explain dump
// (explain_dump.h) is written to `path` once that frame has been presented.
// Needs the headless backend (frames are its presents).
void start_explain_dump(uint64_t frame, const std::string &path);

// From now on the program's time (time, gettimeofday, clock_gettime, clock)
// follows the headless backend's virtual clock: the calendar clocks read
// `start_seconds` since 1970 plus the virtual time, the monotonic ones 1000
// seconds plus it, CPU time the virtual time itself. Before the call they are
// the C library's. Needs the headless backend.
void start_virtual_time(int64_t start_seconds);

// Ends the run as the settings say: chooses the play item at the first wait,
// and closes the main window when the item's check mark goes, after the time
// or the frames, or when the program waits for input that cannot come. With
// answers, each dialog that opens over the main window gets the next line
// typed and Enter; a dialog with no line left stops the program. Needs the
// headless backend (it drives the virtual clock).
void start_run_control(const RunSettings &settings);

// Registers the automation's records with the layers below: the debug
// channel's listener with the kernel, then the frame dumps' observer with the
// headless backend. The stand-in's start-up (entry/start_up.h) calls it, as
// does a test's set-up that uses the automation without the rest. Idempotent.
void install_automation_hooks();

// The process entry's start of a steered run, after the start-up: what the
// environment asks for, or nothing.
void start_automation();

// ---- test support ----

// Destroys every window, unregisters every class, kills every timer and
// clears the queue, the quit flag, focus and keyboard state; with the
// headless backend also headless_reset() and the dump directory. For test
// fixtures.
void reset_state();

}  // namespace standin
