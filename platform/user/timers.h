// Window timers (SetTimer/KillTimer) as the message queue sees them: WM_TIMER
// is generated on demand from due times on the backend's clock, at most one
// pending per timer.
#pragma once

#include <windows.h>

#include "user/message_queue.h"

#include <cstdint>

namespace standin {

// Fills a WM_TIMER for the earliest due timer and schedules its next due
// time; false when none is due.
bool timer_take_due(MSG *msg);
// Earliest due time (ns) of all timers; -1 without any.
int64_t timer_next_deadline();
// True when a live timer was set with this procedure (DispatchMessageA calls
// only those, so a forged WM_TIMER cannot jump anywhere).
bool timer_proc_known(TIMERPROC proc);

}  // namespace standin
