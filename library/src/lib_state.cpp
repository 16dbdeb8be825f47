// The library's state record, and opening and closing the library (windows,
// back buffer, timer).
#include "lib_state.h"

#include "graphics_window.h"
#include "palette.h"
#include "script.h"
#include "telka.h"
#include "text_window.h"

LibState lib;

static void register_window_classes() {
    // One white brush serves as the background of both classes.
    HBRUSH background = CreateSolidBrush(colorValues[TELKA_WHITE]);

    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = lib.instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszMenuName = "generic";

    wc.lpfnWndProc = graphics_window_proc;
    wc.lpszClassName = "DrawWndClass";
    RegisterClassA(&wc);

    wc.lpfnWndProc = text_window_proc;
    wc.lpszClassName = "TextWndClass";
    RegisterClassA(&wc);
}

int TELKA_open(void) {
    if (lib.prevInstance == nullptr) register_window_classes();

    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);

    lib.animating = 0;
    lib.singleStep = 0;

    // The window procedure builds the menu and the origin while this runs.
    lib.graphicsWnd = CreateWindowExA(0, "DrawWndClass", "TELKA Graphics", WS_CAPTION | WS_SYSMENU, 0, 0,
                                      kBackBufferWidth, kBackBufferHeight, nullptr, nullptr, lib.instance, nullptr);
    lib.textWnd = CreateWindowExA(0, "TextWndClass", "TELKA Text", WS_OVERLAPPEDWINDOW, 0, 550, kBackBufferWidth,
                                  screenHeight / 4, nullptr, nullptr, lib.instance, nullptr);

    lib.dialogInstance = lib.instance;

    lib.graphicsDC = GetDC(lib.graphicsWnd);
    lib.backBitmap = CreateCompatibleBitmap(lib.graphicsDC, kBackBufferWidth, kBackBufferHeight);
    lib.memDC = CreateCompatibleDC(lib.graphicsDC);
    SelectObject(lib.memDC, lib.backBitmap);

    ShowWindow(lib.textWnd, lib.cmdShow);
    ShowWindow(lib.graphicsWnd, lib.cmdShow);

    SetTimer(lib.graphicsWnd, kTimerId, kTimerPeriodMs, nullptr);
    return 1;
}

int TELKA_close(void) {
    ReleaseDC(lib.graphicsWnd, lib.graphicsDC);
    script_close();
    return 1;
}
