// The process entry of every application on the stand-in: the real main()
// runs the process's start function (kernel/process_start.h: the automation's, which starts
// a steered run when the environment asks for one), builds a Win32-style
// command line and calls the application's WinMain. Compiled into
// applications only, never into tests.
#include "kernel/process_start.h"

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
    if (standin::kProcessStart.start) standin::kProcessStart.start();
    return WinMain(&module, nullptr, command_line.data(), SW_SHOWNORMAL);
}
