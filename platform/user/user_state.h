// USER's state: one record with one instance for the (single-threaded)
// program, reset as a whole between tests (reset_user_state,
// window_queries.h). Each part belongs to the file named beside it, which
// alone reads and writes it; the parts are declared here so that the record
// can hold them all.
#pragma once

#include <windows.h>

#include "backends/backend.h"
#include "user/window.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

namespace standin {

// window_registry.cpp: the window objects behind their handles.
struct WindowRegistry {
    std::unordered_map<uintptr_t, std::unique_ptr<Window>> windows;
    std::vector<HWND> top_levels;     // oldest first
    uintptr_t next_handle = 0x10010;  // even values, as Win32 handles; never reused
};

// window_class.cpp: registered classes, in registration order.
using WindowClasses = std::vector<std::unique_ptr<WindowClass>>;

// window_focus.cpp
struct FocusState {
    HWND focus = nullptr;   // receives keyboard messages
    HWND active = nullptr;  // top-level window that holds the focus or had it last
};

// window_input.cpp: the mouse buttons held.
struct MouseButtons {
    bool left = false;
    bool right = false;
};

// keyboard.cpp
struct KeyboardState {
    std::array<bool, 256> down{};  // by virtual-key code
    bool shift = false;
    bool control = false;
    bool alt = false;
    bool caps = false;  // CapsLock on
    bool num = false;   // NumLock on
    // What the host's layout typed with each key's last press
    // (InputEvent::typed), for TranslateMessage.
    std::array<int32_t, 256> typed = [] {
        std::array<int32_t, 256> none;
        none.fill(InputEvent::kTypedByTable);
        return none;
    }();
};

// message_queue.cpp
struct MessageQueue {
    std::deque<MSG> posted;
    std::deque<InputEvent> input;
    bool quit = false;
    int quit_code = 0;
    POINT cursor{0, 0};
    bool warned_full = false;
};

// timers.cpp
struct Timer {
    HWND hwnd;
    UINT_PTR id;
    TIMERPROC proc;
    int64_t period_ns;
    int64_t due_ns;
    uint64_t order;  // creation order breaks ties between equal due times
};
struct Timers {
    std::vector<Timer> list;
    uint64_t next_order = 0;
    UINT_PTR next_thread_id = 1;
};

struct UserState {
    WindowRegistry registry;
    WindowClasses classes;
    FocusState focus;
    MouseButtons buttons;
    KeyboardState keyboard;
    MessageQueue queue;
    Timers timers;
};

UserState &user_state();

}  // namespace standin
