// Calls between the parts of a steered run inside the automation (not part
// of its public header): the debug channel hands the library's
// announcements to the record, the frame dumps count frames for it, and the
// run control tells it why and how the run ended; and the records the
// automation registers below it (automation_hooks.cpp).
#pragma once

#include "backends/headless/headless_backend.h"
#include "kernel/debug_output.h"

#include <cstddef>
#include <cstdint>

namespace standin {

// ---- the debug channel (debug_channel.cpp) ----

// The kernel's one debug-output listener, registered at start-up.
DebugOutputListener debug_channel_listener();
// Where that listener hands each string: "TELKA text: TEXT\n"
// (a text window line) to `text` as "TEXT\n"; "TELKA call: TEXT\n" to
// `call` (TEXT without the newline); "TELKA script line N: TEXT\n" to
// `line`; any other string is dropped. A null sink drops its kind; the
// listener listens (IsDebuggerPresent) while any sink is set, so the
// library announces only when someone listens.
void channel_set_text_sink(void (*text)(const char *text));
void channel_set_record_sinks(void (*call)(const char *text, size_t length),
                              void (*line)(int64_t number, const char *text, size_t length));

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
