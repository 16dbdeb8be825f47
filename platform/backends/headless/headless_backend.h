// The headless backend's controls, for tests and the automation (which
// maps windows to hosts and adds the controls that address windows):
// the virtual clock, injected keys and typing, hooks, logs, the idle limit
// and the record through which the automation watches presents.
// They need the headless backend (use_headless_backend, backend.h).
#pragma once

#include <windows.h>

#include "backends/backend.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

// Screen size reported by GetSystemMetrics (default 1024 x 768).
void headless_set_screen_size(int width, int height);

// The virtual clock: starts at 0 and only moves when the program waits with a
// deadline (it jumps there) or when a test advances it.
int64_t headless_now_ns();
void headless_advance_clock(int64_t ns);

// Lock keys that every injected key and button event carries (kKeyCapsLock,
// kKeyNumLock).
void headless_set_locks(unsigned locks);

// Injected input is delivered in order, the next time the program asks for
// messages. Keys go to the focus window; `mods` are kKey* bits held down.
void headless_key_down(int vk, unsigned mods = 0);
void headless_key_repeat(int vk, unsigned mods = 0);  // auto-repeat of a key already down
void headless_key_up(int vk, unsigned mods = 0);
void headless_key_press(int vk, unsigned mods = 0);   // down, then up
// A key with an explicit scan code and extended flag (the defaults come from
// a US keyboard, navigation keys extended).
void headless_key_event(bool down, int vk, unsigned mods, int scan, bool extended, bool repeat = false);
// Types printable ASCII, '\n' (Enter), '\t', '\b' and ESC as key presses,
// with Shift presses around characters that need it. Returns false (after
// typing the rest) when a character has no key on a US keyboard.
bool headless_type_text(const char *text);

size_t headless_pending_input();

// Called when the program waits with no deadline and nothing is injected. It
// may inject input, post messages or advance the clock; it returns false when
// it has nothing more to give, and the program then ends as if it had no hook:
// "headless: the program waits for input that will never come", exit code 3.
void headless_set_idle_hook(std::function<bool()> hook);
// Called at every blocking wait (deadline_ns -1: none) before the clock jumps
// or the idle hook runs; input it injects is delivered at once.
void headless_set_wait_hook(std::function<void(int64_t deadline_ns)> hook);

// Deadlines of the blocking waits since the last call (-1: no deadline); the
// newest few thousand are kept, like the presents below.
std::vector<int64_t> headless_take_waits();
// The safety limit of a run that nothing drives (no hooks): a program that
// only waits on its timers with no input for this many virtual seconds is
// stopped, exit code 3; 0 never. Without a call the default holds (test
// programs have no process entry to hand one down).
constexpr int64_t kHeadlessDefaultIdleSeconds = 300;
void headless_set_idle_limit(int64_t seconds);

// Forgets injected input, hooks and logs (not the clock, the idle limit or the
// present observer).
void headless_reset();

// Queues an event for delivery at the program's next wait; false (with a
// message on stderr) when the headless backend is not the active one.
bool headless_inject(const InputEvent &event);
// Lock bits (kKeyCapsLock, kKeyNumLock) added to every injected event.
unsigned headless_lock_mods();
// Rectangles presented for a host since the last call.
std::vector<RECT> headless_take_host_presents(HostId host);

// A call that goes up: the automation's frame dumps watch presents through
// this record, registered once (headless_set_present_observer). Each slot may
// be null. The backend itself keeps only the hosts' memory surfaces.
struct PresentObserver {
    // A host presented its whole surface: 0x00RRGGBB, `stride` pixels per row.
    void (*present)(HostId host, const char *title, const uint32_t *pixels, int width, int height,
                    ptrdiff_t stride) = nullptr;
    // The host titled `title` is being destroyed.
    void (*host_gone)(const char *title) = nullptr;
    // The backend shuts down as the program ends.
    void (*finish)() = nullptr;
    // A shown host was hidden, or is being destroyed while shown (before host_gone).
    void (*host_hidden)(HostId host) = nullptr;
};
void headless_set_present_observer(const PresentObserver &observer);

// A host as the backend knows it. Hosts are not moved once made: x and y are
// where the core asked for it, which is where it shows.
struct HeadlessHostInfo {
    HostId id = 0;
    HostId owner = 0;  // the host it is shown transient for (dialogs); 0: none
    int x = 0;         // screen position of its surface's top-left pixel
    int y = 0;
    bool visible = false;
    std::string title;
};
// Every host, oldest first: a newer one shows above an older one.
std::vector<HeadlessHostInfo> headless_hosts();

}  // namespace standin
