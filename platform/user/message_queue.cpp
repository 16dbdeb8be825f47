// The thread's message queue: posted messages (FIFO), the quit flag, queued
// input, then WM_PAINT and WM_TIMER generated on demand. GetMessageA presents
// damaged host surfaces before it blocks or returns, and blocks only in
// backend().wait with the next timer's due time as deadline: it never spins.
#include "user/message_queue.h"

#include "user/timers.h"
#include "user/user_state.h"
#include "user/window.h"

#include <cstdio>
#include <deque>

namespace standin {

namespace {

// Win32 refuses posts beyond 10000 queued messages; so do we, rather than grow without end.
constexpr size_t kMaxPosted = 10000;
constexpr size_t kMaxInput = 4096;

MessageQueue &queue() { return user_state().queue; }

bool take_posted(MSG *msg) {
    auto &posted = queue().posted;
    if (posted.empty()) return false;
    *msg = posted.front();
    posted.pop_front();
    return true;
}

enum class InputStep { None, Message, Progress };

InputStep take_input(MSG *msg) {
    auto &input = queue().input;
    if (input.empty()) return InputStep::None;
    // Taken off the queue first: routing may run window procedures (focus
    // changes), and they may run message loops of their own.
    const InputEvent event = input.front();
    input.pop_front();
    MSG routed{};
    if (!route_input(event, &routed)) return InputStep::Progress;
    *msg = routed;
    return InputStep::Message;
}

bool take_paint(MSG *msg) {
    const HWND h = next_window_to_paint();
    if (!h) return false;
    *msg = MSG{h, WM_PAINT, 0, 0, message_time(), queue().cursor};
    return true;
}

// The stand-in's callers never filter; a filter is reported once and ignored,
// which only hands the loop messages it would otherwise get later.
void note_filter(HWND hwnd, UINT min, UINT max) {
    static bool told = false;
    if ((!hwnd && min == 0 && max == 0) || told) return;
    told = true;
    std::fprintf(stderr, "standin: GetMessageA: window and message filters are not supported; ignored\n");
}

}  // namespace

DWORD message_time() { return static_cast<DWORD>(backend().now_ns() / 1000000); }
POINT message_cursor() { return queue().cursor; }
void set_message_cursor(POINT screen) { queue().cursor = screen; }

void purge_posted_messages(HWND hwnd) {
    auto &posted = queue().posted;
    std::erase_if(posted, [hwnd](const MSG &m) { return m.hwnd == hwnd; });
}

void queue_input(const InputEvent &event) {
    MessageQueue &q = queue();
    if (event.kind == InputEvent::Kind::Expose) {
        handle_expose(event);
        return;
    }
    if (event.kind == InputEvent::Kind::Motion && !q.input.empty()) {
        // Motion coalesces: only the latest position matters.
        InputEvent &last = q.input.back();
        if (last.kind == InputEvent::Kind::Motion && last.host == event.host) {
            last = event;
            return;
        }
    }
    if (q.input.size() >= kMaxInput) {
        if (!q.warned_full) std::fprintf(stderr, "standin: input queue full; dropping input until it drains\n");
        q.warned_full = true;
        return;
    }
    q.warned_full = false;
    q.input.push_back(event);
}

LRESULT send_message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window *w = window_get(hwnd);
    if (!w || !w->proc) return 0;
    return w->proc(hwnd, msg, wParam, lParam);
}

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    note_filter(hWnd, wMsgFilterMin, wMsgFilterMax);
    const BackendDriver &driver = backend();
    MessageQueue &q = queue();
    driver.wait(0);  // collect input that already arrived, so it keeps its place before paint and timers
    for (;;) {
        if (take_posted(lpMsg)) break;
        if (q.quit) {
            // The quit flag pre-empts input, paint and timers.
            q.quit = false;
            *lpMsg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quit_code), 0, message_time(), q.cursor};
            present_damaged();
            return FALSE;
        }
        const InputStep step = take_input(lpMsg);
        if (step == InputStep::Message) break;
        if (step == InputStep::Progress) continue;
        if (take_paint(lpMsg)) break;
        if (timer_take_due(lpMsg)) break;
        present_damaged();
        driver.wait(timer_next_deadline());
    }
    present_damaged();
    // Whatever way WM_QUIT arrives, GetMessageA reports it with 0.
    return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd && !window_checked(hWnd)) return FALSE;
    MessageQueue &q = queue();
    if (q.posted.size() >= kMaxPosted) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    q.posted.push_back(MSG{hWnd, Msg, wParam, lParam, message_time(), q.cursor});
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!window_checked(hWnd)) return 0;
    return send_message(hWnd, Msg, wParam, lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
    MessageQueue &q = queue();
    q.quit = true;
    q.quit_code = nExitCode;
}

LRESULT WINAPI DispatchMessageA(const MSG *lpMsg) {
    if (!lpMsg) return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
        const auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
        if (timer_proc_known(proc)) {
            proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, lpMsg->time);
            return 0;
        }
    }
    return send_message(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

}  // extern "C"
