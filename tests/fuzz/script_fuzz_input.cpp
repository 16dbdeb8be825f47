// Drives the script reader over one input held in memory: the input becomes
// the open script file (fmemopen), so no byte goes through the disk. It
// relies on the library's LibState and reader only, with no window open
// (messages go to the ring, the Playback item of a missing menu is left
// alone by the stand-in).
#include "script_fuzz_input.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "lib_state.h"
#include "script.h"
#include "telka.h"

namespace {

// Every call but those handing out a PERIODIC line's count consumes a line,
// so this reads every line of the input; a huge count is cut short there
// (its events are all alike), which keeps each run short.
size_t max_calls(size_t size) { return std::min<size_t>(10000, 2 * size + 64); }

}  // namespace

bool script_fuzz_one(const uint8_t *data, size_t size) {
    script_close();
    // Read-only, so the buffer is never written through the cast.
    static uint8_t empty = 0;
    void *buffer = size > 0 ? const_cast<uint8_t *>(data) : &empty;
    lib.scriptFile = fmemopen(buffer, size, "r");
    if (lib.scriptFile == nullptr) std::abort();
    lib.scriptWriting = 0;

    bool kinds_ok = true;
    lib.recording = 0;
    lib.periodicCount = 0;
    lib.playOne = 0;
    lib.playback = 1;
    const size_t calls = max_calls(size);
    for (size_t i = 0; i < calls; ++i) {
        lib.eventKind = kNoEvent;
        if (script_play_event() == 1) {
            const int k = lib.eventKind;
            if (k != TELKA_MOUSE && k != TELKA_KBD && k != TELKA_PERIODIC) kinds_ok = false;
            continue;
        }
        // The reader closed the file at its end; reopening it here would
        // look for TELKA.SCR on disk.
        if (lib.scriptFile == nullptr) break;
        lib.playback = 1;  // an unrecognised line: go on after it
    }
    script_close();
    lib.playback = 0;
    lib.periodicCount = 0;
    return kinds_ok;
}
