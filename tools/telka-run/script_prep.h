// The TELKA.SCR that telka-run puts in the program's folder: a copy of the
// given script, the events of --events as script lines, and --max-events
// applied the way the library counts events when it plays a script back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The longest script file telka-run takes, the same as the playground's Load:
// an hour of events, one every 50 ms, is under 2 MiB.
constexpr size_t kMaxScriptBytes = size_t{16} << 20;

// Writes `path` from the file `script_file` or, when that is empty, from the
// events in `events` (separated by ';' or new lines). False, with a message
// on stderr, when the input cannot be read, is not a regular file or is longer
// than kMaxScriptBytes, or when an event is not one.
bool write_run_script(const std::string &path, const std::string &script_file, const std::string &events,
                      std::optional<uint64_t> max_events);
