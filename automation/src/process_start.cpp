// The automation's start before WinMain, as the process entry
// (platform/entry) runs them for every application.
#include "automation.h"

#include "kernel/process_start.h"

namespace standin {

const ProcessStart kProcessStart{start_automation};

}  // namespace standin
