// The page's side of the debug channel (the browser build only): every
// string the library announces goes to the page (the page builds its
// timeline and call lists from them). The sites, calls and events go
// together through `debug_output_batch` before each present, NUL after
// each: one call into the page per frame rather than two per drawing call,
// which cost more than the drawing. A text window line goes at once through
// `debug_output` (after what was gathered before it), so that the last
// lines before a crash still reach the page. And a
// replay the page asks to explain a frame (`explain_frame` non-zero) counts
// the graphics window's presents and hands that frame's dump to
// `explain_dump`.
#include "web_trace.h"

#include "backends/web/web_backend.h"
#include "pixel_explain.h"
#include "trace_channel.h"
#include "user/window_queries.h"

#include <cstring>
#include <vector>

#define TELKA_WEB_IMPORT(name) __attribute__((import_module("telka"), import_name(#name)))
extern "C" {
TELKA_WEB_IMPORT(debug_output) void web_js_debug_output(const char *text);
TELKA_WEB_IMPORT(debug_output_batch) void web_js_debug_output_batch(const char *texts, size_t size);
TELKA_WEB_IMPORT(explain_frame) int web_js_explain_frame(void);
TELKA_WEB_IMPORT(explain_dump) void web_js_explain_dump(const uint8_t *data, size_t size);
// The program's monotonic time as it last read it, in ns: the explaining's
// clock, which reads nothing the program's own run did not.
TELKA_WEB_IMPORT(explain_now_ns) double web_js_explain_now_ns(void);
}
#undef TELKA_WEB_IMPORT

namespace standin {

namespace {

uint64_t g_frames = 0;

// Announcements since the last present, each ended by its NUL; sent early
// when a program draws this much without presenting.
constexpr size_t kBatchBytes = 256 * 1024;

std::vector<char> &batch() {
    static std::vector<char> *gathered = new std::vector<char>;  // never destroyed: announcements may come at exit
    return *gathered;
}

void send_batch() {
    std::vector<char> &b = batch();
    if (b.empty()) return;
    web_js_debug_output_batch(b.data(), b.size());
    b.clear();
}

void announce(const char *text) {
    constexpr char kText[] = "TELKA text: ";
    if (std::strncmp(text, kText, sizeof kText - 1) == 0) {
        send_batch();
        web_js_debug_output(text);
        return;
    }
    std::vector<char> &b = batch();
    b.insert(b.end(), text, text + std::strlen(text) + 1);
    if (b.size() >= kBatchBytes) send_batch();
}

void deliver(const std::vector<uint8_t> &dump) { web_js_explain_dump(dump.data(), dump.size()); }

int64_t now_ns() { return static_cast<int64_t>(web_js_explain_now_ns()); }

// The graphics window's host, found by its title as the page finds it.
bool is_graphics_host(HostId host) {
    for (HWND w : top_level_windows()) {
        if (top_level_host(w) != host) continue;
        char title[64] = {};
        GetWindowTextA(w, title, sizeof title);
        return std::strcmp(title, "TELKA Graphics") == 0;
    }
    return false;
}

void on_present(HostId host) {
    if (is_graphics_host(host)) explain_frame_shown(++g_frames);
}

}  // namespace

void install_web_trace() {
    set_debug_output_listener(trace_channel_listener());
    trace_sinks().raw = announce;
    web_set_before_present(send_batch);
    const int frame = web_js_explain_frame();
    if (frame > 0) {
        web_set_present_listener(on_present);
        start_explaining(static_cast<uint64_t>(frame), deliver, now_ns);
    }
}

}  // namespace standin
