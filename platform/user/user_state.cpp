// USER's one state record (user_state.h) and its reset between tests.
#include "user/user_state.h"

#include "user/window_queries.h"

namespace standin {

UserState &user_state() {
    static UserState s;
    return s;
}

void reset_user_state() {
    // Through DestroyWindow, so procedures, hosts and the menu code hear of it.
    const std::vector<HWND> tops = top_level_windows();
    for (HWND h : tops) DestroyWindow(h);
    UserState &s = user_state();
    const uintptr_t next_handle = s.registry.next_handle;  // a handle stays unused for the rest of the run
    s = UserState{};
    s.registry.next_handle = next_handle;
}

}  // namespace standin
