// Host-level controls of the headless backend for the core's test API
// (window_test_api.cpp), which maps windows to hosts. The standin.h
// headless_* controls are declared there.
#pragma once

#include <windows.h>

#include "backends/backend.h"

#include <vector>

namespace standin {

// Queues an event for delivery at the program's next wait; false (with a
// message on stderr) when the headless backend is not the active one.
bool headless_inject(const InputEvent &event);
// Lock bits (kKeyCapsLock, kKeyNumLock) added to every injected event.
unsigned headless_lock_mods();
// Rectangles presented for a host since the last call.
std::vector<RECT> headless_take_host_presents(HostId host);

}  // namespace standin
