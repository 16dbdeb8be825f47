// SetTimer/KillTimer and the due-time bookkeeping behind WM_TIMER. Timers are
// keyed by (window, id); one monotonic clock (backend().now_ns). Missed
// periods are not queued: a late timer fires once and is re-based.
#include "user/timers.h"

#include "user/user_state.h"
#include "user/window.h"

#include <algorithm>
#include <vector>

namespace standin {

namespace {

constexpr UINT kMinElapseMs = 10;           // USER_TIMER_MINIMUM
constexpr UINT kMaxElapseMs = 0x7FFFFFFF;   // USER_TIMER_MAXIMUM
constexpr size_t kMaxTimers = 10000;        // a runaway SetTimer loop fails instead of eating memory

Timers &timers() { return user_state().timers; }

Timer *find(HWND hwnd, UINT_PTR id) {
    for (Timer &t : timers().list)
        if (t.hwnd == hwnd && t.id == id) return &t;
    return nullptr;
}

UINT_PTR new_thread_timer_id() {
    Timers &ts = timers();
    for (;;) {
        const UINT_PTR id = ts.next_thread_id++;
        if (ts.next_thread_id == 0) ts.next_thread_id = 1;
        if (id != 0 && !find(nullptr, id)) return id;
    }
}

}  // namespace

bool timer_take_due(MSG *msg) {
    Timers &ts = timers();
    if (ts.list.empty()) return false;
    const int64_t now = backend().now_ns();
    Timer *best = nullptr;
    for (Timer &t : ts.list) {
        if (t.due_ns > now) continue;
        if (!best || t.due_ns < best->due_ns || (t.due_ns == best->due_ns && t.order < best->order)) best = &t;
    }
    if (!best) return false;
    *msg = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), message_time(), message_cursor()};
    best->due_ns += best->period_ns;
    if (best->due_ns <= now) best->due_ns = now + best->period_ns;
    return true;
}

int64_t timer_next_deadline() {
    int64_t next = -1;
    for (const Timer &t : timers().list)
        if (next < 0 || t.due_ns < next) next = t.due_ns;
    return next;
}

bool timer_proc_known(TIMERPROC proc) {
    if (!proc) return false;
    for (const Timer &t : timers().list)
        if (t.proc == proc) return true;
    return false;
}

void kill_window_timers(HWND hwnd) {
    auto &l = timers().list;
    l.erase(std::remove_if(l.begin(), l.end(), [hwnd](const Timer &t) { return t.hwnd == hwnd; }), l.end());
}

}  // namespace standin

using namespace standin;

extern "C" {

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    if (hWnd) {
        Window *w = window_checked(hWnd);
        if (!w || w->destroying) return 0;
    }
    const UINT ms = std::clamp(uElapse, kMinElapseMs, kMaxElapseMs);
    const int64_t period = int64_t{ms} * 1000000;
    const int64_t now = backend().now_ns();
    Timers &ts = timers();

    Timer *t = hWnd || nIDEvent ? find(hWnd, nIDEvent) : nullptr;
    if (t) {
        // The same timer again: new period and procedure, counted from now.
        t->proc = lpTimerFunc;
        t->period_ns = period;
        t->due_ns = now + period;
        return hWnd ? (nIDEvent ? nIDEvent : 1) : nIDEvent;
    }
    if (ts.list.size() >= kMaxTimers) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const UINT_PTR id = hWnd ? nIDEvent : new_thread_timer_id();
    ts.list.push_back(Timer{hWnd, id, lpTimerFunc, period, now + period, ts.next_order++});
    // With a window the result only has to be non-zero; without one it is the new id.
    return hWnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    auto &l = timers().list;
    for (auto it = l.begin(); it != l.end(); ++it) {
        if (it->hwnd == hWnd && it->id == uIDEvent) {
            l.erase(it);
            return TRUE;
        }
    }
    SetLastError(hWnd && !window_get(hWnd) ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
}

}  // extern "C"
