// The browser build's process start: nothing runs around WinMain there
// (it has no steered runs).
#include "kernel/process_start.h"

const standin::ProcessStart standin::kProcessStart{};
