// The event wait: pumps window messages until exactly one event is ready,
// manufactures periodic events from the animation flags and timer ticks,
// replays and records scripts, and copies the dirty back buffer to the window.
#include "event_wait.h"

#include "lib_state.h"
#include "script.h"
#include "telka.h"
#include "text_window.h"

// Copies the back buffer to the window if it holds drawing not shown yet.
static void show_back_buffer(void) {
    if (lib.backBufferDirty) {
        BitBlt(lib.graphicsDC, 0, 0, kBackBufferWidth, kBackBufferHeight, lib.memDC, 0, 0, SRCCOPY);
        lib.backBufferDirty = 0;
    }
}

void pump_message(void) {
    // What the application drew is shown before GetMessageA may block, so a
    // frame reaches the screen now and not after the next timer tick.
    show_back_buffer();
    MSG msg;
    if (GetMessageA(&msg, nullptr, 0, 0) == 0) {
        lib.eventKind = TELKA_QUIT;
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    show_back_buffer();
}

// A prepared periodic event waits for the next timer tick.
static bool event_ready(void) {
    if (lib.eventKind == kNoEvent) return false;
    return !(lib.eventKind == TELKA_PERIODIC && lib.timerFired == 0);
}

static void record_event(void) {
    if (lib.eventKind == TELKA_PERIODIC) {
        ++lib.periodicCount;  // runs of periodic events become one line
        return;
    }
    script_record_periodic_run();
    if (!lib.recording) return;  // a failed write ended the recording
    script_record_event(lib.eventKind, lib.eventX, lib.eventY, lib.eventKey);
}

int TELKA_await_event_rec(EventRecord *rec) {
    lib.eventKind = kNoEvent;
    lib.eventKey = 0;
    lib.eventY = 0;
    lib.eventX = 0;

    while (!event_ready()) {
        // A tick that arrives while nothing is prepared is the tick of the
        // periodic event it prepares, so a running animation gets one event
        // per timer message (every 50 ms) rather than one per two. Ticks from
        // before this pump are stale.
        if (lib.eventKind == kNoEvent) lib.timerFired = 0;
        pump_message();
        if (lib.eventKind == TELKA_QUIT) {
            // The user's quit (Ctrl+Q, Run > Quit, closing the window) wins
            // over a replayed event and ends the playback.
            if (lib.playOne || lib.playback) script_stop_playback();
            break;
        }
        if (lib.playOne || lib.playback) {
            lib.playOne = 0;
            if (script_play_event() == 1) break;  // a replayed event needs no tick
            lib.playOne = 0;
            lib.playback = 0;
        }
        if ((lib.singleStep || lib.animating) && lib.eventKind == kNoEvent) {
            lib.eventKind = TELKA_PERIODIC;  // timerFired tells whether this pump was its tick
            lib.singleStep = 0;
            lib.playOne = 0;
        }
    }

    if (lib.recording) record_event();

    const int kind = lib.quitRequested ? TELKA_QUIT : lib.eventKind;
    announce_event(kind, lib.eventX, lib.eventY, lib.eventKey);
    if (rec != nullptr) {
        rec->x = lib.eventX;
        rec->y = lib.eventY;
        rec->key = lib.eventKey;
    }
    return kind;
}

int TELKA_await_event(int32_t *x, int32_t *y, char *key) {
    EventRecord rec;
    const int kind = TELKA_await_event_rec(&rec);
    if (x != nullptr) *x = rec.x;
    if (y != nullptr) *y = rec.y;
    if (key != nullptr) *key = rec.key;
    return kind;
}
