// The explain dump: everything needed to tell, for any pixel of one frame,
// which drawing calls of that frame wrote it and what each left there, or
// which earlier call set it last. Written by the explaining (pixel_explain)
// at the end of the frame it was asked for, read by telka-run and, in the
// page, by its own reader (web/playground/explain-dump.js): little-endian
// 32-bit words, strings as a length, their bytes and zeros to a word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

constexpr uint32_t kExplainDumpVersion = 1;

struct ExplainFrame {
    uint32_t number = 0;
    uint32_t first_call = 0;  // id of its first call; its ids are first_call .. first_call + calls - 1
    uint32_t calls = 0;
    uint64_t ns = 0;          // program time of its present since the program started
    uint32_t event_kind = 0;  // of the last event before it; 0: none yet
    int32_t event_x = 0, event_y = 0;
    uint32_t event_key = 0;   // 0..255
    uint32_t periodic = 0;    // periodic events returned so far
};

struct ExplainCall {
    uint32_t id = 0;     // calls of the run numbered from 1
    uint32_t frame = 0;  // the frame it belongs to
    uint32_t line = 0;   // 0: not known
    std::string file;    // empty: not known
    std::string text;    // the library's log words
};

// Columns [x0, x1) of row y of the client area.
struct ExplainRun {
    int32_t y = 0, x0 = 0, x1 = 0;
};

// The pixels a call of the frame wrote, and the value each had just after it.
struct ExplainFootprint {
    uint32_t id = 0;
    std::vector<ExplainRun> runs;  // sorted by row, then column; disjoint
    std::vector<uint32_t> values;  // 0x00RRGGBB, one per pixel of the runs, in order
};

struct ExplainDump {
    uint32_t width = 0, height = 0;  // the graphics window's client area
    int32_t origin_x = 0, origin_y = 0;  // client pixel of the program's (0, 0); y grows downwards
    uint32_t frame = 0;
    std::vector<ExplainFrame> frames;          // the frame first, then the earlier ones `before` names
    std::vector<ExplainCall> calls;            // the frame's calls in order, then the earlier ones `before` names
    std::vector<uint32_t> before;              // width * height: the last writer before the frame; 0: none
    std::vector<ExplainFootprint> footprints;  // one per call of the frame, in order
    std::vector<uint32_t> after;               // width * height: the client area at the frame's present
};

std::vector<uint8_t> explain_dump_bytes(const ExplainDump &dump);
// False, with *error saying where, for bytes that are not a whole dump.
bool parse_explain_dump(const uint8_t *data, size_t size, ExplainDump *out, std::string *error);

}  // namespace standin
