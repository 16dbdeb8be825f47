// What the process entry runs before WinMain. The entry sits above every
// layer; the record is defined once per build by what drives runs (the
// automation's process_start.cpp natively, none.cpp in the browser build),
// and linking main() brings that definition in.
#pragma once

namespace standin {

struct ProcessStart {
    void (*start)() = nullptr;  // before WinMain
};

extern const ProcessStart kProcessStart;

}  // namespace standin
