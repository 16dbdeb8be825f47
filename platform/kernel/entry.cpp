// The process entry of every application on the stand-in: the real main()
// starts a steered headless run if the environment asks for one, builds a
// Win32-style command line, calls the application's WinMain, and lets the
// run finish its output. Compiled into applications only (the standin_entry
// objects), never into tests. The browser build has no steered runs.
#include <windows.h>

#ifndef __wasi__
#include "session/session.h"
#endif

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
#ifndef __wasi__
    standin::start_session_from_environment();
#endif
    const int result = WinMain(&module, nullptr, command_line.data(), SW_SHOWNORMAL);
#ifndef __wasi__
    standin::finish_session();
#endif
    return result;
}
