// Event scripts: the stream of events written to and replayed from
// "TELKA.SCR" in the current directory, one event per line.
#pragma once

#include <cstdint>

extern const char *const kScriptFileName;

// Writes one line for a mouse, key or periodic event (the periodic line
// carries periodicCount); opens the file for writing on first use.
void script_record_event(int32_t kind, int32_t x, int32_t y, char key);

// Writes the run of periodic events counted so far as one line, if there is
// one, and starts a new count.
void script_record_periodic_run(void);

// Produces the next replayed event in the pending-event fields: 1 when it
// did, 0 when it did not (no file, end of file, unreadable line).
int script_play_event(void);

// Ends both playback modes and unchecks the Playback Script item.
void script_end_playback(void);

// Ends a playback the user cut short (a quit): both modes end and the file
// is closed unless a recording owns it.
void script_stop_playback(void);

// Closes the script file if one is open.
void script_close(void);
