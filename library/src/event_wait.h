// The library's message pump, internal to the event wait.
#pragma once

// Takes one message from the queue and dispatches it, then shows the back
// buffer if it is dirty. Sets the pending event to quit when WM_QUIT is taken.
void pump_message(void);
