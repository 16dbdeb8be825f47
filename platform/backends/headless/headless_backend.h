// Host-level controls of the headless backend, for the core's test API
// (window_test_api.cpp), which maps windows to hosts, and the US keyboard
// tables that injected keys are made from.
#pragma once

#include <windows.h>

#include "backends/backend.h"

#include <vector>

namespace standin {

// Queues an event for delivery at the program's next wait; false (with a
// message on stderr) when the headless backend is not the active one.
bool headless_inject(const InputEvent &event);
// Lock bits (kModCapsLock, kModNumLock) added to every injected event.
unsigned headless_lock_mods();
// Rectangles presented for a host since the last call.
std::vector<RECT> headless_take_host_presents(HostId host);

// US keyboard: the key (and whether Shift is needed) that types `c`.
bool us_key_for_char(char c, int *vk, bool *shift);
// Set-1 scan code of a virtual key and whether it is an extended key.
void us_scan_code(int vk, int *scan, bool *extended);

}  // namespace standin
