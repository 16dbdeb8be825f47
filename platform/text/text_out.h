// Who may watch TextOutA: one observer that sees the string of every valid
// call before it is drawn (the headless session records a window's lines
// with it). The text layer knows nothing of windows; the observer does.
#pragma once

namespace standin {

// Called with the bytes and length of each valid TextOutA call, empty ones
// too; null turns watching off.
using TextOutObserver = void (*)(const char *text, int length);
void set_text_out_observer(TextOutObserver observer);

}  // namespace standin
