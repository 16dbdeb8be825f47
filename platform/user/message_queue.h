// Internals of the message queue shared with the timer and input code: the
// message clock and cursor, and turning input into messages.
#pragma once

#include <windows.h>

#include "backends/backend.h"

namespace standin {

// MSG.time: milliseconds on the backend's clock.
DWORD message_time();
// Where the cursor was at the last mouse input, in screen coordinates.
POINT message_cursor();
void set_message_cursor(POINT screen);

// Turns one queued input event into a message for its window. Returns false
// when it becomes no message (swallowed, dropped, or handled in place, such as
// focus changes, which may send messages).
bool route_input(const InputEvent &event, MSG *msg);
// Expose events are handled as they arrive: they only invalidate and damage.
void handle_expose(const InputEvent &event);
// Where a backend's input goes (CoreCalls, registered by install_user_hooks):
// queued, or handled at once for an expose.
void queue_input(const InputEvent &event);

}  // namespace standin
