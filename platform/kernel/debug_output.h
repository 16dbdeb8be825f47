// Who hears OutputDebugStringA: on Windows a debugger does; on the stand-in
// one listener, registered at start-up by whatever drives the run (the
// automation's debug channel, for its text capture and record). The kernel
// only hands the text on.
#pragma once

namespace standin {

// Calls that go up from the kernel, registered by a layer above it.
struct DebugOutputListener {
    // Each OutputDebugStringA string, as given (never null).
    void (*text)(const char *text) = nullptr;
    // Whether the text goes anywhere now; null: whenever `text` is set. A
    // listener registered once at start-up hears nothing until the run asks.
    bool (*listening)() = nullptr;
};

// Replaces the listener (a default-made one: nobody listens, the text is
// dropped). IsDebuggerPresent answers TRUE while one listens.
void set_debug_output_listener(const DebugOutputListener &listener);

}  // namespace standin
