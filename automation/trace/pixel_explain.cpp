// The explaining of a run (pixel_explain.h). A call's number becomes the GDI
// writer when the call is announced, before it draws; its footprint is read
// when the next call or the frame's present comes, from the spans the GDI
// logged, with the pixels' values as the call left them. Only the frame
// asked for keeps footprints; other frames cost the writer plane alone.
// The texts of earlier calls are kept while some pixel still names them.
#include "pixel_explain.h"

#include "explain_dump.h"
#include "gdi/pixel_writers.h"
#include "trace_channel.h"
#include "user/window_queries.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace standin {

namespace {

// Texts of calls are forgotten every so many frames unless a pixel names them.
constexpr uint64_t kPruneEvery = 256;

struct Explaining {
    bool on = false;
    uint64_t target = 0;
    void (*deliver)(const std::vector<uint8_t> &) = nullptr;
    int64_t (*now_ns)() = nullptr;
    int64_t start_ns = 0;
    uint32_t next_id = 1;
    uint32_t current = 0;            // the call drawing now; 0: none
    const void *back = nullptr;      // the back buffer's pixel store, once a call drew on it
    std::vector<ExplainFrame> frames;  // every frame presented, [n - 1] is frame n
    ExplainFrame pending;            // the frame being drawn
    std::unordered_map<uint32_t, ExplainCall> calls;  // earlier calls a pixel may still name
    // The frame asked for, while it is drawn.
    bool in_target = false;
    ExplainDump dump;
    std::vector<WrittenSpan> spans;
};

Explaining &state() {
    static Explaining *e = new Explaining;  // never destroyed: announcements may come at exit
    return *e;
}

HWND graphics_window() {
    for (HWND w : top_level_windows()) {
        char title[64] = {};
        GetWindowTextA(w, title, sizeof title);
        if (std::strcmp(title, "TELKA Graphics") == 0) return w;
    }
    return nullptr;
}

// The client area's size, as the library sizes its drawing.
void client_size(uint32_t *width, uint32_t *height) {
    RECT r = {};
    if (HWND w = graphics_window()) GetClientRect(w, &r);
    *width = static_cast<uint32_t>(std::max<LONG>(r.right - r.left, 0));
    *height = static_cast<uint32_t>(std::max<LONG>(r.bottom - r.top, 0));
}

// The current call's footprint, from the spans the GDI logged for it.
void close_call() {
    Explaining &e = state();
    take_written_spans(&e.spans);
    if (e.back == nullptr) {
        for (const WrittenSpan &s : e.spans)
            if (e.current != 0) {
                e.back = s.surface;
                break;
            }
    }
    if (!e.in_target || e.current == 0) return;
    ExplainFootprint &f = e.dump.footprints.back();
    WriterView view{};
    if (e.back == nullptr || !surface_writers(e.back, &view)) return;
    const int32_t w = static_cast<int32_t>(std::min<uint32_t>(e.dump.width, static_cast<uint32_t>(view.width)));
    const int32_t h = static_cast<int32_t>(std::min<uint32_t>(e.dump.height, static_cast<uint32_t>(view.height)));
    for (const WrittenSpan &s : e.spans) {
        if (s.surface != e.back || s.y < 0 || s.y >= h) continue;
        const int32_t x0 = std::max(s.x0, 0), x1 = std::min(s.x1, w);
        if (x0 < x1) f.runs.push_back(ExplainRun{s.y, x0, x1});
    }
    // Spans may come in pieces and overlap: sorted and merged, each pixel once.
    std::sort(f.runs.begin(), f.runs.end(),
              [](const ExplainRun &a, const ExplainRun &b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
    std::vector<ExplainRun> merged;
    for (const ExplainRun &r : f.runs) {
        if (!merged.empty() && merged.back().y == r.y && r.x0 <= merged.back().x1)
            merged.back().x1 = std::max(merged.back().x1, r.x1);
        else
            merged.push_back(r);
    }
    f.runs = std::move(merged);
    f.values.clear();
    for (const ExplainRun &r : f.runs) {
        const uint32_t *row = view.pixels + r.y * view.stride;
        f.values.insert(f.values.end(), row + r.x0, row + r.x1);
    }
}

void on_call(const CallAnnouncement &call) {
    Explaining &e = state();
    if (!e.on) return;
    close_call();
    const uint32_t id = e.next_id++;
    if (e.pending.calls == 0) e.pending.first_call = id;
    ++e.pending.calls;
    ExplainCall c;
    c.id = id;
    c.frame = static_cast<uint32_t>(e.frames.size() + 1);
    c.line = static_cast<uint32_t>(std::clamp<int64_t>(call.line, 0, UINT32_MAX));
    if (call.file) c.file.assign(call.file, call.file_length);
    c.text.assign(call.text, call.length);
    if (e.in_target) {
        e.dump.calls.push_back(c);
        e.dump.footprints.push_back(ExplainFootprint{id, {}, {}});
    } else {
        e.calls.emplace(id, std::move(c));
    }
    e.current = id;
    set_pixel_writer(id);
}

void on_event(const EventAnnouncement &event) {
    Explaining &e = state();
    if (!e.on) return;
    e.pending.event_kind = static_cast<uint32_t>(event.kind);
    e.pending.event_x = event.x;
    e.pending.event_y = event.y;
    e.pending.event_key = event.key;
    if (event.kind == 3) ++e.pending.periodic;
}

// The client area's writers (or pixels) as they are now.
std::vector<uint32_t> client_plane(uint32_t width, uint32_t height, bool pixels) {
    Explaining &e = state();
    std::vector<uint32_t> out(static_cast<size_t>(width) * height, 0);
    WriterView view{};
    if (e.back == nullptr || !surface_writers(e.back, &view)) return out;
    const uint32_t w = std::min(width, static_cast<uint32_t>(view.width));
    const uint32_t h = std::min(height, static_cast<uint32_t>(view.height));
    const uint32_t *plane = pixels ? view.pixels : view.writers;
    for (uint32_t y = 0; y < h; ++y)
        std::copy(plane + y * view.stride, plane + y * view.stride + w, out.begin() + y * width);
    return out;
}

// Forgets the texts of calls no pixel names any more.
void prune() {
    Explaining &e = state();
    WriterView view{};
    if (e.back == nullptr || !surface_writers(e.back, &view)) return;
    if (e.calls.empty()) return;
    uint32_t lowest = UINT32_MAX;
    for (const auto &entry : e.calls) lowest = std::min(lowest, entry.first);
    // One mark per kept id: a pass over the plane costs a pixel a test.
    std::vector<uint8_t> named(e.next_id - lowest, 0);
    for (int y = 0; y < view.height; ++y)
        for (const uint32_t *w = view.writers + y * view.stride, *end = w + view.width; w < end; ++w)
            if (*w >= lowest && *w < e.next_id) named[*w - lowest] = 1;
    std::erase_if(e.calls, [&](const auto &entry) { return named[entry.first - lowest] == 0; });
}

void begin_target() {
    Explaining &e = state();
    ExplainDump &d = e.dump;
    d = ExplainDump{};
    client_size(&d.width, &d.height);
    // As the library centres its coordinates.
    d.origin_x = static_cast<int32_t>(d.width / 2);
    d.origin_y = static_cast<int32_t>(d.height / 2);
    d.frame = static_cast<uint32_t>(e.target);
    d.before = client_plane(d.width, d.height, false);
    e.in_target = true;
}

void finish_target() {
    Explaining &e = state();
    ExplainDump &d = e.dump;
    // Frame 1 may begin before the window is made: nothing was drawn before it.
    if (d.width == 0 || d.height == 0) {
        client_size(&d.width, &d.height);
        d.origin_x = static_cast<int32_t>(d.width / 2);
        d.origin_y = static_cast<int32_t>(d.height / 2);
        d.before.assign(static_cast<size_t>(d.width) * d.height, 0);
    }
    d.after = client_plane(d.width, d.height, true);
    d.frames.push_back(e.frames.back());
    // The earlier calls and frames that `before` names, each once.
    std::unordered_set<uint32_t> named(d.before.begin(), d.before.end());
    named.erase(0);
    std::vector<uint32_t> ids(named.begin(), named.end());
    std::sort(ids.begin(), ids.end());
    std::unordered_set<uint32_t> frames_named;
    for (uint32_t id : ids) {
        auto it = e.calls.find(id);
        if (it == e.calls.end()) continue;
        d.calls.push_back(it->second);
        if (it->second.frame >= 1 && it->second.frame <= e.frames.size() && frames_named.insert(it->second.frame).second)
            d.frames.push_back(e.frames[it->second.frame - 1]);
    }
    e.in_target = false;
    e.on = false;
    set_pixel_writer(0);
    set_explaining(false);
    if (e.deliver) e.deliver(explain_dump_bytes(d));
    e.calls.clear();
    d = ExplainDump{};
}

}  // namespace

void start_explaining(uint64_t frame, void (*deliver)(const std::vector<uint8_t> &dump), int64_t (*now_ns)()) {
    Explaining &e = state();
    if (frame == 0) return;
    e.on = true;
    e.target = frame;
    e.deliver = deliver;
    e.now_ns = now_ns;
    e.start_ns = now_ns();
    set_explaining(true);
    TraceSinks &sinks = trace_sinks();
    sinks.explain_call = on_call;
    sinks.event = on_event;
    if (frame == 1) begin_target();
}

void explain_frame_shown(uint64_t number) {
    Explaining &e = state();
    if (!e.on) return;
    close_call();
    e.current = 0;
    set_pixel_writer(0);
    e.pending.number = static_cast<uint32_t>(number);
    e.pending.ns = static_cast<uint64_t>(std::max<int64_t>(e.now_ns() - e.start_ns, 0));
    e.frames.push_back(e.pending);
    // The next frame starts after this one's event, with no calls yet.
    e.pending.first_call = e.next_id;
    e.pending.calls = 0;
    if (number == e.target) {
        finish_target();
        return;
    }
    if (number % kPruneEvery == 0) prune();
    if (number + 1 == e.target) begin_target();
}

}  // namespace standin
