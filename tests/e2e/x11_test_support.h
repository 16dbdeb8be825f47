// Shared pieces of the x11 backend's tests under Xvfb: a core_input() that
// records what the backend delivers, a second X connection that plays the
// user and the window manager, and helpers that pump the driver.
#pragma once

// GoogleTest first: Xlib's None and Bool macros would break its templates.
#include <gtest/gtest.h>

#include "backends/x11/x11_internal.h"

#include <functional>
#include <string>
#include <vector>

namespace x11test {

using standin::HostId;
using standin::InputEvent;
using Kind = standin::InputEvent::Kind;

// Everything the backend handed to core_input(), oldest first.
std::vector<InputEvent> &recorded();
std::vector<InputEvent> recorded_of(std::initializer_list<Kind> kinds);

// Pumps the driver until `done` holds or `timeout_ms` passes; returns done().
bool pump_until(const std::function<bool()> &done, int timeout_ms = 3000);
// Pumps for a while, to collect whatever else arrives.
void pump_for(int ms);
// Re-checks `done` until it holds: another connection's view of the server
// catches up with our requests only once the server has read them.
bool eventually(const std::function<bool()> &done, int timeout_ms = 3000);

// One key, text or button event as text, so a failed comparison shows the
// difference. A press shows what it typed unless the US table decides it
// (`typed` as InputEvent::typed: a code point, or kTypedNothing).
std::string describe(const InputEvent &e);
std::string key(bool down, int vk, int scan, bool extended, unsigned mods = 0, bool repeat = false,
                int32_t typed = InputEvent::kTypedByTable);
std::vector<std::string> describe_all(const std::vector<InputEvent> &events);

// Runs a shell command; returns its exit status.
int run(const std::string &command);
// Monotonic time in milliseconds.
double now_ms();

class X11Fixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates and shows a host, then waits until it is on screen (first Expose).
    HostId open_host(int x, int y, int width, int height, const char *title = "test");
    Window window_of(HostId host) const;
    std::string window_id(HostId host) const;  // for xdotool --window
    // Gives the keyboard focus to the host's window and waits for FocusIn.
    void focus(HostId host);

    bool no_shm_ = false;     // set before SetUp: present with XPutImage
    Display *peer_ = nullptr; // the test's own connection
};

}  // namespace x11test
