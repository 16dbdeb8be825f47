// Host-level controls of the headless backend for the automation
// (automation/src), which maps windows to hosts. The automation.h
// headless_* controls are declared there.
#pragma once

#include <windows.h>

#include "backends/backend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// Queues an event for delivery at the program's next wait; false (with a
// message on stderr) when the headless backend is not the active one.
bool headless_inject(const InputEvent &event);
// Lock bits (kKeyCapsLock, kKeyNumLock) added to every injected event.
unsigned headless_lock_mods();
// Rectangles presented for a host since the last call.
std::vector<RECT> headless_take_host_presents(HostId host);

// Which frames are counted and written: only those of the host titled
// `window` (empty: every host, named by host), every `every`th of them (0:
// none), none after the `limit`th (0: no limit), and with `keep_last` the
// last one as last.png. The automation sets it from its settings.
void headless_select_frames(const std::string &window, uint64_t every, uint64_t limit, bool keep_last);

}  // namespace standin
