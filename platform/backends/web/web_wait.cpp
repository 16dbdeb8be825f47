// The web backend's wait: the page's wait import blocks the program until
// the page queues input or the deadline passes; then every record queued by
// then goes to the core. A poll that would keep the page from running for
// long waits once too.
#include "backends/web/web_internal.h"

namespace standin {

namespace {

// The page may need the program's waits to paint canvases and to take
// input; a program that only polls still waits this often.
constexpr double kMaxBusyMs = 50;

double g_last_yield_ms = 0;

void yield_for(double timeout_ms) {
    web_js_wait(timeout_ms);
    g_last_yield_ms = static_cast<double>(web_now_ns()) / 1e6;
}

}  // namespace

void web_wait(int64_t deadline_ns) {
    if (web_js_pending() == 0) {
        const double now_ms = static_cast<double>(web_now_ns()) / 1e6;
        if (deadline_ns < 0) {
            yield_for(-1);
        } else {
            const double left_ms = static_cast<double>(deadline_ns) / 1e6 - now_ms;
            if (left_ms > 0)
                yield_for(left_ms);
            else if (now_ms - g_last_yield_ms > kMaxBusyMs)
                yield_for(0);
        }
    }
    // Only what is queued now: input arriving meanwhile waits for the next call.
    for (int n = web_js_pending(); n > 0; --n) {
        int32_t record[kWebRecordFields] = {};
        if (!web_js_take_record(record)) break;
        InputEvent event;
        if (web_translate(record, &event)) core_input(event);
    }
}

}  // namespace standin
