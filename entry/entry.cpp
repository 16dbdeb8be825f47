// The process entry of every application on the stand-in: the real main()
// starts the stand-in (start_up.h) and, natively, the automation, which
// starts a steered run when the environment asks for one; then it builds a
// Win32-style command line and calls the application's WinMain. Linked into
// applications only, never into tests.
#include "start_up.h"

#ifndef __wasi__
#include "automation.h"
#endif

#include <windows.h>

#include <string>

int main(int argc, char **argv) {
    // lpCmdLine holds the arguments after the program name, space separated.
    std::string command_line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) command_line += ' ';
        command_line += argv[i];
    }
    // Any non-null, unique value serves as the instance handle.
    static HINSTANCE__ module{};
    standin::start_up();
#ifndef __wasi__
    standin::start_automation();  // the browser build has no automation
#endif
    return WinMain(&module, nullptr, command_line.data(), SW_SHOWNORMAL);
}
