// The process entry: stores the four start-up values and hands control to the
// application's main, whose result is the process's result. Kept apart from
// the rest of the library so that programs without an application main (the
// tests) can link the library.
#include "lib_state.h"
#include "telka.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    lib.instance = hInstance;
    lib.prevInstance = hPrevInstance;
    lib.cmdLine = lpCmdLine;
    lib.cmdShow = nCmdShow;
    return main();
}
