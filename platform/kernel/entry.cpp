// The process entry of every application on the stand-in: the real main()
// builds a Win32-style command line and calls the application's WinMain.
// Compiled into applications only (STANDIN_ENTRY_SOURCE), never into tests.
#include <windows.h>

#include <cstdlib>
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
    // exit() rather than a return: in the browser, main comes back only after
    // the page has resumed the suspended program, when nobody waits for it.
    std::exit(WinMain(&module, nullptr, command_line.data(), SW_SHOWNORMAL));
}
