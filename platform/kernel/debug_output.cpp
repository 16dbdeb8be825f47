// OutputDebugStringA: hands each string to the one registered listener, or
// drops it, as Windows does when no debugger is attached; IsDebuggerPresent
// says whether one listens, so a caller can skip output nobody hears.
#include "kernel/debug_output.h"

#include <windows.h>

namespace {

standin::DebugOutputListener g_listener;

}  // namespace

void standin::set_debug_output_listener(const DebugOutputListener &listener) { g_listener = listener; }

extern "C" void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
    if (g_listener.text) g_listener.text(lpOutputString ? lpOutputString : "");
}

extern "C" BOOL WINAPI IsDebuggerPresent(void) {
    return g_listener.text && (!g_listener.listening || g_listener.listening()) ? TRUE : FALSE;
}
