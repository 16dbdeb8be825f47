// Shared by the library's tests: opens the library on the headless backend
// as WinMain would, reads the text ring and the back buffer, injects Ctrl
// keys and clicks, and runs one event wait with input at virtual times.
#pragma once

#include <gtest/gtest.h>
#include <automation.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lib_state.h"
#include "telka.h"

// telka.h renames the application's main; the tests take gtest's main.
#undef main

namespace libtest {

constexpr int64_t kMs = 1000000;  // nanoseconds of the virtual clock

// Selects the headless backend and starts the stand-in as the process entry
// does; false when another backend already runs.
bool start_headless();

// start_headless, then the start-up values that WinMain would store (a
// non-null instance, SW_SHOWNORMAL) and TELKA_open.
void open_library();

// The text ring, oldest line first, exactly as stored.
std::vector<std::string> ring();
// The ring as the window shows it: one trailing line feed dropped from each
// line (painting drops it from the stored line too).
std::vector<std::string> ring_shown();
// Frees every stored line and empties the ring, so a test sees only the
// lines that its own calls produce.
void clear_ring();

// Back-buffer pixel at a window coordinate (origin at the centre, y up).
COLORREF back_pixel(int x, int y);
// Back-buffer pixel at a device coordinate of memDC.
COLORREF device_pixel(int x, int y);
// Graphics-window client pixel at a device coordinate, as a COLORREF.
COLORREF client_pixel(int x, int y);

// Ctrl held down around one letter key (VK_CONTROL down, letter, VK_CONTROL up).
void inject_ctrl_letter(char letter);
// Left-button click at a window coordinate of the graphics window.
void inject_click(int x, int y);
// A key-up of F24: a message that produces no event, to make a wait pump once.
void inject_harmless();

struct Input {
    int64_t at_ms;                  // virtual time after the wait started
    std::function<void()> inject;   // injects input or posts messages
};

struct WaitResult {
    int kind = 0;
    int32_t x = 0;
    int32_t y = 0;
    char key = 0;
    bool blocked = false;   // the wait was still waiting block_after_ms after its last input
    int64_t ended_ms = 0;   // virtual time of the return, after the wait started
};

// Runs TELKA_await_event (out-parameters preset to garbage). Inputs are
// injected when the virtual clock reaches them. If the wait has not ended
// block_after_ms after the last input, it counts as blocked: a click at the
// bottom-right client pixel is injected so that the call comes back.
WaitResult wait_event(std::vector<Input> inputs = {}, int64_t block_after_ms = 1000);

// Window coordinates of the click that ends a blocked wait.
constexpr int32_t kSentinelX = 300;
constexpr int32_t kSentinelY = -259;

// Pumps messages itself (GetMessageA, TranslateMessage, DispatchMessageA)
// until the queue would block, showing each message to `observe` before it
// is dispatched; pending paints are done then. No event wait runs.
void settle(const std::function<void(const MSG &)> &observe = nullptr);

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override { open_library(); }
};

}  // namespace libtest
