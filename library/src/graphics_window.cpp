// The graphics window procedure: builds the control menu, keeps the origin at
// the client centre, repaints from the back buffer, turns clicks and
// characters into the pending event, notes timer ticks and carries out the
// control commands from the menu and the Ctrl+letter keys.
#include "graphics_window.h"

#include "lib_state.h"
#include "script.h"
#include "telka.h"

namespace {

struct MenuEntry {
    UINT flags;
    UINT_PTR id;
    const char *text;
};

const MenuEntry kRunMenu[] = {
    {MF_STRING, CMD_ANIMATE, "&Animate\tCtrl+A"},
    {MF_STRING, CMD_HALT, "&Halt animation\tCtrl+H"},
    {MF_STRING, CMD_ADVANCE_FRAME, "Advance one &frame\tCtrl+F"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_CHECKED, CMD_LOGGING, "&Logging\tCtrl+L"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, CMD_RECORD, "&Record Script\tCtrl+R"},
    {MF_STRING, CMD_PLAYBACK, "&Playback Script\tCtrl+P"},
    {MF_STRING, CMD_PLAY_ONE, "Play &One Script\tCtrl+O"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, CMD_QUIT, "&Quit\tCtrl+Q"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_GRAYED, CMD_INFO, "TELKA library contacts:"},
    {MF_GRAYED, CMD_INFO, "MAC: mac@telka.invalid"},
    {MF_GRAYED, CMD_INFO, "WINDOWS: windows@telka.invalid"},
    {MF_GRAYED, CMD_INFO, "UPDATES: updates@telka.invalid"},
};

// Each command letter matches its capital and its small character code.
struct KeyCommand {
    WPARAM capital;
    WPARAM small;
    int command;
};

const KeyCommand kKeyCommands[] = {
    {0x41, 0x61, CMD_ANIMATE},  {0x46, 0x66, CMD_ADVANCE_FRAME}, {0x48, 0x68, CMD_HALT},
    {0x4C, 0x6C, CMD_LOGGING},  {0x4F, 0x6F, CMD_PLAY_ONE},      {0x50, 0x70, CMD_PLAYBACK},
    {0x51, 0x71, CMD_QUIT},     {0x52, 0x72, CMD_RECORD},
};

void build_menu(HWND window) {
    HMENU bar = CreateMenu();
    lib.runMenu = CreatePopupMenu();
    for (const MenuEntry &item : kRunMenu) AppendMenuA(lib.runMenu, item.flags, item.id, item.text);
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(lib.runMenu), "&Run");
    SetMenu(window, bar);
    DrawMenuBar(window);
}

void set_check(UINT id, bool checked) {
    CheckMenuItem(lib.runMenu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void toggle_logging(void) {
    lib.logging = lib.logging ? 0 : 1;
    set_check(CMD_LOGGING, lib.logging != 0);
}

void toggle_recording(void) {
    if (lib.recording) {
        lib.recording = 0;
        set_check(CMD_RECORD, false);
        script_record_periodic_run();
        script_close();
    } else {
        lib.recording = 1;
        // The first run of the new recording counts from zero, whatever a
        // playback left in the shared count.
        lib.periodicCount = 0;
        set_check(CMD_RECORD, true);
    }
}

void toggle_playback(void) {
    if (lib.playback) {
        lib.playback = 0;
        set_check(CMD_PLAYBACK, false);
        // Periodic events left over from the stopped playback are dropped, so a
        // later playback or recording does not inherit them.
        if (!lib.recording) lib.periodicCount = 0;
        script_close();
    } else {
        lib.animating = 0;
        lib.singleStep = 0;
        lib.playback = 1;
        set_check(CMD_PLAYBACK, true);
    }
}

void run_command(WPARAM id) {
    switch (id) {
        case CMD_ANIMATE: lib.animating = 1; break;
        case CMD_HALT: lib.animating = 0; break;
        case CMD_ADVANCE_FRAME:
            lib.animating = 0;
            lib.singleStep = 1;
            break;
        case CMD_LOGGING: toggle_logging(); break;
        case CMD_RECORD: toggle_recording(); break;
        case CMD_PLAYBACK: toggle_playback(); break;
        case CMD_PLAY_ONE:
            lib.playOne = 1;
            lib.animating = 0;
            lib.singleStep = 0;
            break;
        case CMD_QUIT: PostQuitMessage(0); break;
        default: break;
    }
}

void key_down(WPARAM code) {
    if (code == VK_CONTROL) {
        lib.ctrlDown = 1;
        return;
    }
    for (const KeyCommand &k : kKeyCommands) {
        if (code == k.capital || code == k.small) {
            if (lib.ctrlDown) run_command(static_cast<WPARAM>(k.command));
            return;
        }
    }
}

void paint(HWND window) {
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    // The copy goes to the DC held since opening, not to the paint DC.
    BitBlt(lib.graphicsDC, 0, 0, kBackBufferWidth, kBackBufferHeight, lib.memDC, 0, 0, SRCCOPY);
    EndPaint(window, &ps);
    lib.backBufferDirty = 0;
}

}  // namespace

LRESULT CALLBACK graphics_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            build_menu(window);
            return 0;
        case WM_SIZE: {
            RECT r;
            GetClientRect(window, &r);
            lib.originX = (r.right - r.left) / 2 + r.left;
            lib.originY = (r.bottom - r.top) / 2 + r.top;
            return 0;
        }
        case WM_PAINT:
            paint(window);
            return 0;
        case WM_TIMER:
            lib.timerFired = 1;
            return 0;
        case WM_LBUTTONDOWN: {
            const int32_t x = LOWORD(lParam);
            const int32_t y = HIWORD(lParam);
            lib.eventX = x - lib.originX;
            lib.eventY = lib.originY - y;
            lib.eventKind = TELKA_MOUSE;
            return 0;
        }
        case WM_CHAR:
            if (lib.ctrlDown == 1) return 0;
            lib.eventKind = TELKA_KBD;
            lib.eventKey = static_cast<char>(wParam & 0xFF);
            return 0;
        case WM_UNICHAR:
            // A character of the student's layout that a char cannot hold
            // (Windows-1252 has none): said, rather than typed as another.
            if (wParam == UNICODE_NOCHAR) return TRUE;
            TELKA_printf("The key typed U+%04X, which a program here cannot get (no Windows-1252 character); no event.\n",
                         static_cast<unsigned>(wParam));
            return FALSE;
        case WM_KEYDOWN:
            key_down(wParam);
            return 0;
        case WM_KEYUP:
            if (wParam == VK_CONTROL) lib.ctrlDown = 0;
            return 0;
        case WM_COMMAND:
            run_command(wParam);
            return 0;
        case WM_DESTROY:
            KillTimer(window, kTimerId);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

int TELKA_animate(int code) {
    if (lib.graphicsWnd == nullptr) return 0;
    switch (code) {
        case TELKA_ANIMATE_HALT:
            lib.animating = 0;
            lib.singleStep = 0;
            break;
        case TELKA_ANIMATE_STEP: lib.singleStep = 1; break;
        case TELKA_ANIMATE_RUN: lib.animating = 1; break;
        case TELKA_ANIMATE_QUIT: lib.quitRequested = 1; break;
        default: break;
    }
    return 1;
}

int TELKA_logging(int on) {
    if (lib.graphicsWnd == nullptr) return 0;
    lib.logging = on ? 1 : 0;
    set_check(CMD_LOGGING, lib.logging != 0);
    if (lib.logging) show_text_window(1);
    return 1;
}

BOOL show_text_window(int show) { return ShowWindow(lib.textWnd, show ? SW_SHOW : SW_HIDE); }
