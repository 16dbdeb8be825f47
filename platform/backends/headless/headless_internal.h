// State shared by the headless backend's files: the in-memory hosts, the
// virtual clock, the queue of injected input, the test hooks and the present
// observer, which the driver and the controls use.
#pragma once

#include "backends/headless/headless_backend.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace standin {

// The logs of presents and waits keep this many entries, the newest: a test
// that takes them as it goes sees them all, and a program that waits for
// hours of virtual time does not grow.
constexpr size_t kMaxLoggedEntries = 4096;

template <class T>
void log_entry(std::vector<T> *log, const T &entry) {
    if (log->size() >= kMaxLoggedEntries) log->erase(log->begin(), log->begin() + kMaxLoggedEntries / 2);
    log->push_back(entry);
}

struct HeadlessHost {
    std::string title;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    HostId owner = 0;
    bool visible = false;
    std::vector<RECT> presents;  // host-surface rectangles since headless_take_host_presents
};

struct HeadlessState {
    int64_t clock = 0;             // virtual nanoseconds
    int screen_w = 1024;
    int screen_h = 768;
    std::map<HostId, HeadlessHost> hosts;
    HostId next_host = 1;
    std::deque<InputEvent> pending;  // injected, delivered at the next wait
    unsigned locks = 0;              // kKeyCapsLock, kKeyNumLock
    std::function<bool()> idle_hook;
    std::function<void(int64_t)> wait_hook;
    std::vector<int64_t> waits;      // deadlines of blocking waits (-1: none)
    uint64_t fruitless_idle = 0;     // idle-hook calls in a row that gave nothing
    int64_t last_input = 0;          // virtual time input was last delivered
    int64_t idle_limit_ns = kHeadlessDefaultIdleSeconds * 1000000000;  // headless_set_idle_limit; 0: none
    PresentObserver observer;        // the automation's, when it watches presents
};

HeadlessState &headless_state();

// True when the headless backend is the running one (starting the backend if
// nothing has yet); otherwise warns once on stderr and returns false.
bool headless_controls_ready();

}  // namespace standin
