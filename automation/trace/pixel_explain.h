// Explaining a run's pixels: every drawing call of the run gets a number
// (from 1), the GDI's writer plane records which call wrote each pixel of
// the back buffer, and at the end of the frame asked for, one explain dump
// (explain_dump.h) is handed over: that frame's calls with their sources and
// footprints, and the writer of every pixel before it. Fed by the debug
// channel's call and event announcements and by whoever counts the graphics
// window's frames (natively the frame dumps, in the page the web backend's
// presents).
#pragma once

#include <cstdint>
#include <vector>

namespace standin {

// From now on calls are numbered and pixels' writers kept; frame `frame`
// (from 1) is dumped through `deliver` when it has been presented, and
// explaining then ends. Frames are timed by `now_ns`, a clock the program
// does not read itself, so explaining changes nothing the program observes.
void start_explaining(uint64_t frame, void (*deliver)(const std::vector<uint8_t> &dump), int64_t (*now_ns)());
// The graphics window presented its `number`th frame.
void explain_frame_shown(uint64_t number);

}  // namespace standin
