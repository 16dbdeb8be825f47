// TELKA_printf's line ring and the text window that shows it, and the drawing
// calls' log. Each paint rebuilds the picture off screen in black and white
// and copies it in one go.
#include "text_window.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "lib_state.h"
#include "telka.h"
#include "text_util.h"

static int32_t next_slot(int32_t slot) { return (slot + 1) % kTextRingSize; }

// Hands TEXT to a listening debugger as one string, "PREFIX TEXT\n". Every
// string the library sends starts with its kind's prefix, so what a program
// prints, which follows "TELKA text: ", can never pass for a call or a script
// line however it begins.
static void tell_debugger(const char *prefix, const char *text) {
    const size_t p = std::strlen(prefix);
    char message[32 + kFormatBufferSize];
    size_t n = std::strlen(text);
    if (n > 0 && text[n - 1] == '\n') --n;
    if (p + n + 2 > sizeof message) return;
    std::memcpy(message, prefix, p);
    std::memcpy(message + p, text, n);
    message[p + n] = '\n';
    message[p + n + 1] = '\0';
    OutputDebugStringA(message);
}

int TELKA_printf(const char *format, ...) {
    if (format == nullptr) {
        TELKA_printf("TELKA_printf: no format given\n");
        return 0;
    }
    char buffer[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    const int count = format_text(buffer, format, args);
    va_end(args);
    const int32_t n = text_length(buffer);

    // The block is taken before the oldest line is given up, so a failed
    // allocation leaves the ring as it was.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(n) + 1);
    if (block == nullptr) return count;

    if (lib.textFirst == lib.textNext) {
        GlobalFree(lib.textLines[lib.textFirst]);
        lib.textFirst = next_slot(lib.textFirst);
    }
    lib.textLines[lib.textNext] = block;
    char *line = static_cast<char *>(GlobalLock(block));
    std::memcpy(line, buffer, static_cast<size_t>(n));
    line[n] = '\0';
    GlobalUnlock(block);
    if (lib.textFirst < 0) lib.textFirst = lib.textNext;
    lib.textNext = next_slot(lib.textNext);

    // Each line also goes to the debugger's output: on Windows a debugger
    // shows it, and a headless run records the text window from it without
    // reading the window's pixels.
    tell_debugger("TELKA text: ", buffer);

    if (lib.textWnd != nullptr) {
        RECT r;
        GetClientRect(lib.textWnd, &r);
        InvalidateRect(lib.textWnd, &r, TRUE);
    }
    return count;
}

// format_text with the arguments given here.
static void format_into(char *buffer, const char *format, ...) TELKA_PRINTF(2, 3);
static void format_into(char *buffer, const char *format, ...) {
    va_list args;
    va_start(args, format);
    format_text(buffer, format, args);
    va_end(args);
}

void log_drawing_call(const char *format, ...) {
    // The site belongs to this call only, whoever listens.
    const char *file = lib.callFile;
    const int32_t line = lib.callLine;
    lib.callFile = nullptr;
    const bool listening = IsDebuggerPresent() != FALSE;
    if (!lib.logging && !listening) return;
    char text[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    format_text(text, format, args);
    va_end(args);
    // "%s" formats the text again, cut at the same length: the text window
    // gets exactly the line formatted here.
    if (lib.logging) TELKA_printf("%s", text);
    if (!listening) return;
    if (file != nullptr) {
        char site[kFormatBufferSize];
        format_into(site, "%d %s", static_cast<int>(line), file);
        tell_debugger("TELKA site: ", site);
    }
    tell_debugger("TELKA call: ", text);
}

void announce_event(int32_t kind, int32_t x, int32_t y, char key) {
    if (IsDebuggerPresent() == FALSE) return;
    char text[80];
    std::snprintf(text, sizeof text, "%d %d %d %u", static_cast<int>(kind), static_cast<int>(x), static_cast<int>(y),
                  static_cast<unsigned>(static_cast<unsigned char>(key)));
    tell_debugger("TELKA event: ", text);
}

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            text_window_paint(window);
            return 0;
        case WM_KEYDOWN:
            PostMessageA(lib.graphicsWnd, WM_KEYDOWN, wParam, lParam);
            return 0;
        case WM_KEYUP:
            PostMessageA(lib.graphicsWnd, WM_KEYUP, wParam, lParam);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

void text_window_paint(HWND window) {
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);

    HDC windowDC = GetDC(lib.textWnd);
    HDC memory = CreateCompatibleDC(windowDC);
    // A fresh memory DC is one bit deep, so the picture is black and white.
    HBITMAP picture = CreateCompatibleBitmap(memory, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(memory, picture);

    HBRUSH brush = CreateSolidBrush(GetBkColor(memory));
    HGDIOBJ oldBrush = SelectObject(memory, brush);
    FillRect(memory, &client, brush);

    HGDIOBJ oldFont = SelectObject(memory, GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(memory, &tm);
    const int h = tm.tmHeight + tm.tmExternalLeading;

    RECT band = {client.left, client.bottom - h, client.right, client.bottom + 1};

    if (lib.textFirst >= 0) {
        int32_t slot = lib.textFirst;
        do {
            char *line = static_cast<char *>(GlobalLock(lib.textLines[slot]));
            ScrollDC(memory, 0, -h, nullptr, nullptr, nullptr, nullptr);
            FillRect(memory, &band, brush);
            if (line != nullptr) {
                int32_t n = text_length(line);
                if (n > 0 && line[n - 1] == '\n') line[--n] = '\0';
                TextOutA(memory, client.left + 5, client.bottom - h, line, n);
            }
            GlobalUnlock(lib.textLines[slot]);
            slot = next_slot(slot);
        } while (slot != lib.textNext);
    }

    BitBlt(windowDC, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    EndPaint(window, &ps);

    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    SelectObject(memory, oldBrush);
    DeleteObject(picture);
    DeleteObject(brush);
    DeleteDC(memory);
    ReleaseDC(lib.textWnd, windowDC);
}
