// The automation's start before WinMain, as the process entry
// (platform/entry) runs them for every application.
#include "automation.h"

#include "entry/entry.h"

namespace standin {

const ProcessStart kProcessStart{start_automation};

}  // namespace standin
