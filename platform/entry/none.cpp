// The browser build's process start: nothing runs around WinMain there
// (it has no steered runs).
#include "entry/entry.h"

const standin::ProcessStart standin::kProcessStart{};
