// Calls between the parts of a steered run inside the automation (not part
// of its public header): the frame dumps count frames for the record, and the
// run control tells it why and how the run ended; and the records the
// automation registers below it (automation_hooks.cpp).
#pragma once

#include "backends/headless/headless_backend.h"
#include "trace_channel.h"  // the debug channel: the library's announcements, read

#include <cstddef>
#include <cstdint>

namespace standin {

// ---- the frame dumps (frame_dumps.cpp) ----

// The headless backend's present observer, registered at start-up: it
// counts, dumps and records frames as headless_select_frames asks.
PresentObserver frame_dumps_observer();

// ---- the record and the report (run_record.cpp) ----

// A frame of the main window was presented: the `number`th counted, as the
// dumps number it. Frames the dumps do not keep (after the frame limit) are
// not passed on.
void record_frame(uint64_t number);
// The run control ends the run: `reason` is the report's word for why;
// `stopped` when the automation ends the process itself.
void record_run_end(const char *reason, bool stopped);

}  // namespace standin
