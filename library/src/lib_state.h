// LibState: the library's one global record. Every part of the library reads
// and writes its fields under these names; nothing else holds library state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

constexpr int kBackBufferWidth = 601;   // back buffer and graphics window, pixels
constexpr int kBackBufferHeight = 540;
constexpr int kTextRingSize = 25;       // lines held by the text window
constexpr int kScriptLineSize = 512;    // script lines are read in pieces of 511 characters
constexpr UINT_PTR kTimerId = 2;
constexpr UINT kTimerPeriodMs = 50;

// Kind of the pending event while nothing is pending.
constexpr int32_t kNoEvent = -1;

struct LibState {
    // start-up values, written once by WinMain
    HINSTANCE instance = nullptr;
    HINSTANCE prevInstance = nullptr;  // classes are registered only while null
    LPSTR cmdLine = nullptr;           // stored, never used
    int32_t cmdShow = 0;               // show command for both windows

    // windows and drawing surfaces
    HWND graphicsWnd = nullptr;        // non-null once the library is open
    HWND textWnd = nullptr;
    HDC graphicsDC = nullptr;          // held from open to close
    HDC memDC = nullptr;               // holds the back buffer
    HBITMAP backBitmap = nullptr;      // 601 x 540, selected into memDC
    HINSTANCE dialogInstance = nullptr;
    HMENU runMenu = nullptr;           // the "&Run" popup
    int32_t originX = 0;               // centre of the client area, client pixels
    int32_t originY = 0;               // (downwards)
    int32_t backBufferDirty = 1;       // drawing not yet copied to the window
    const char *callFile = nullptr;    // the next drawing call's source file (a traced form's); null: unknown
    int32_t callLine = 0;              // and its line

    // animation and input control
    uint8_t animating = 0;
    uint8_t singleStep = 0;
    uint8_t quitRequested = 0;
    int32_t timerFired = 0;
    int32_t ctrlDown = 0;
    uint8_t logging = 1;

    // pending event
    int32_t eventKind = 0;             // kNoEvent while nothing is pending
    int32_t eventX = 0;                // centred coordinates, y up
    int32_t eventY = 0;
    char eventKey = 0;

    // event script
    uint8_t recording = 0;
    uint8_t playOne = 0;
    uint8_t playback = 0;
    FILE *scriptFile = nullptr;
    uint8_t scriptWriting = 0;         // the open script file was opened by recording
    int32_t periodicCount = 0;
    int32_t scriptLine = 0;            // number of the line playback read last, from 1
    uint8_t scriptLineOpen = 0;        // that line was longer than one read and goes on
    // the line of the last event played, without its newline
    char scriptEventText[kScriptLineSize] = {};

    // text window ring and line-input dialog
    HGLOBAL textLines[kTextRingSize] = {};
    int32_t textFirst = -1;            // oldest line; -1 while the ring is empty
    int32_t textNext = 0;              // slot the next line takes
    char *getsBuffer = nullptr;        // result buffer of the running dialog
};

extern LibState lib;
