// The automation's records in the layers below, registered once at start-up
// (install_automation_hooks, automation.h): the debug channel hears the
// kernel's OutputDebugStringA, and the frame dumps observe the headless
// backend's presents. What a run asks of them it tells them later.
#include "automation.h"

#include "steered_run.h"

namespace standin {

void install_automation_hooks() {
    set_debug_output_listener(trace_channel_listener());
    headless_set_present_observer(frame_dumps_observer());
}

}  // namespace standin
