// The library's announcements on the debug channel, read back: the kernel's
// one debug-output listener parses each string the library sends while
// someone listens and hands it, typed, to the sinks set here. Natively the
// steered run's record, text capture and explaining set them; in the page
// the explaining does, and every string also goes to the page.
#pragma once

#include "kernel/debug_output.h"

#include <cstddef>
#include <cstdint>

namespace standin {

// A drawing call as announced: its log text (no newline) and, when a traced
// form made it, its source line and file as the compiler named it.
struct CallAnnouncement {
    const char *text = nullptr;
    size_t length = 0;
    int64_t line = 0;           // 0: not known
    const char *file = nullptr;  // null: not known
    size_t file_length = 0;
};

// An event a wait returned.
struct EventAnnouncement {
    int32_t kind = 0;  // TELKA_MOUSE 1, _KBD 2, _PERIODIC 3, _QUIT 4
    int32_t x = 0, y = 0;
    uint32_t key = 0;  // the character as 0..255
};

// The listener to register with the kernel.
DebugOutputListener trace_channel_listener();

// Where each kind goes; a null sink drops it. "TELKA text: TEXT\n" goes to
// `text` as "TEXT\n"; "TELKA site: LINE FILE\n" is kept for the call that
// follows it; "TELKA call: TEXT\n" goes to `record_call` and `explain_call`;
// "TELKA script line N: TEXT\n" to `script_line`; "TELKA event: ..." to
// `event`; every string, as it came, to `raw`. Strings of no kind are
// dropped. IsDebuggerPresent answers TRUE while any sink is set, so the
// library announces only when someone listens.
struct TraceSinks {
    void (*text)(const char *text) = nullptr;
    void (*record_call)(const CallAnnouncement &call) = nullptr;
    void (*script_line)(int64_t number, const char *text, size_t length) = nullptr;
    void (*explain_call)(const CallAnnouncement &call) = nullptr;
    void (*event)(const EventAnnouncement &event) = nullptr;
    void (*raw)(const char *text) = nullptr;
};
// The sinks as they are, to change one slot and set them back.
TraceSinks &trace_sinks();

}  // namespace standin
