// The process entry (entry.cpp) as an application sees it: WinMain gets a
// non-null instance, no previous instance, the arguments after the program
// name joined by spaces, SW_SHOWNORMAL, and its result becomes the exit code.
// Run by CTest with fixed arguments; "fail" as the first argument makes
// WinMain return 3, which the second test expects to see as a failure.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd) {
    if (lpCmdLine && std::strncmp(lpCmdLine, "fail", 4) == 0) return 3;
    const bool ok = hInstance != nullptr && hPrevInstance == nullptr && lpCmdLine &&
                    std::strcmp(lpCmdLine, "alpha beta  gamma") == 0 && nShowCmd == SW_SHOWNORMAL;
    if (!ok) std::fprintf(stderr, "entry: unexpected WinMain arguments, command line [%s]\n", lpCmdLine ? lpCmdLine : "");
    return ok ? 0 : 1;
}
