// What the process entry (platform/entry) runs before WinMain. The record is
// declared down here so that the automation, below the entry, can define it:
// once per build (automation/src/process_start.cpp natively, entry/none.cpp
// in the browser build), and linking main() brings that definition in.
#pragma once

namespace standin {

struct ProcessStart {
    void (*start)() = nullptr;  // before WinMain
};

extern const ProcessStart kProcessStart;

}  // namespace standin
