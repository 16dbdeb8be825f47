// Frame dumps, as PNG: the headless backend hands every present to the
// observer registered here. By default every presented frame of every host,
// DIR/frame-NNNNNN-hostN.png; a run that names its main window
// (STANDIN_HEADLESS_WINDOW) gets only that window's frames,
// DIR/frame-NNNNNN.png numbered by its own presents, every Nth of them, and
// its last frame as DIR/last.png when the window goes or the program ends.
// Windows shown over the main one (its dialogs) are pasted into its frames,
// and their presents and their hiding are frames of it too, as a screen shows
// them. A directory that cannot be made turns the dumps off with one message.
// Each frame kept is also handed to the run's record (run_record.cpp).
#include "automation.h"

#include "pixel_explain.h"
#include "steered_run.h"
#include "user/window_queries.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace standin {

namespace {

struct FrameDumps {
    std::string dir;            // empty: frames are not written
    std::string window;         // title of the only host counted; empty: every host
    uint64_t every = 1;         // write frames every, 2 * every, ...; 0: none of them
    uint64_t limit = 0;         // frames after this one are not written; 0: no limit
    bool keep_last = false;     // write the window's last frame as DIR/last.png
    uint64_t frames = 0;        // frames presented so far, dumped or not
    std::vector<uint32_t> last; // the last counted frame, width x height, when keep_last
    int last_w = 0;
    int last_h = 0;
    bool last_pending = false;  // `last` holds a frame not yet written
    HostId main_host = 0;       // the main window's host when `layers` was taken
    std::vector<HostId> layers;  // hosts pasted into the last frame counted; empty: none
    std::vector<uint32_t> composite;
};

void on_present(HostId host, const char *title, const uint32_t *pixels, int width, int height, ptrdiff_t stride);
void on_host_gone(const char *title);
void on_finish();
void on_host_hidden(HostId host);

// Never destroyed: the backend's shutdown at exit may still write the last
// frame after static objects are gone.
FrameDumps &frame_dumps() {
    static FrameDumps *d = new FrameDumps;
    return *d;
}

void write_last() {
    FrameDumps &d = frame_dumps();
    if (!d.last_pending || d.dir.empty()) return;
    d.last_pending = false;
    const std::string path = d.dir + "/last.png";
    if (!write_png(path, d.last.data(), d.last_w, d.last_h, d.last_w))
        std::fprintf(stderr, "headless: cannot write frame %s\n", path.c_str());
}

// One frame of the main window (of `host` when every host is counted).
void count_frame(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    FrameDumps &d = frame_dumps();
    const bool one_window = !d.window.empty();
    ++d.frames;
    if (d.limit > 0 && d.frames > d.limit) return;
    // The record numbers frames as the dumps do, from this one count.
    record_frame(d.frames);
    explain_frame_shown(d.frames);
    if (d.keep_last) {
        d.last.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            std::copy(pixels + y * stride, pixels + y * stride + width, d.last.begin() + static_cast<ptrdiff_t>(y) * width);
        d.last_w = width;
        d.last_h = height;
        d.last_pending = true;
    }
    if (d.dir.empty() || d.every == 0 || d.frames % d.every != 0) return;
    char name[64];
    if (one_window)
        std::snprintf(name, sizeof name, "/frame-%06llu.png", static_cast<unsigned long long>(d.frames));
    else
        std::snprintf(name, sizeof name, "/frame-%06llu-host%llu.png", static_cast<unsigned long long>(d.frames),
                      static_cast<unsigned long long>(host));
    if (!write_png(d.dir + name, pixels, width, height, stride))
        std::fprintf(stderr, "headless: cannot write frame %s%s\n", d.dir.c_str(), name);
}

HWND window_of_host(HostId host) {
    for (HWND h : top_level_windows())
        if (top_level_host(h) == host) return h;
    return nullptr;
}

const HeadlessHostInfo *info_of(const std::vector<HeadlessHostInfo> &hosts, HostId id) {
    auto it = std::find_if(hosts.begin(), hosts.end(), [&](const HeadlessHostInfo &h) { return h.id == id; });
    return it == hosts.end() ? nullptr : &*it;
}

// What lies over the main window on the screen: every shown host it owns,
// directly or through another owned host (a dialog opened from a dialog),
// oldest first. Other hosts are windows beside it (the text window) and stay
// out of its frames. Owned hosts that are disabled still show, so they count.
std::vector<HostId> layers_over(HostId main, const std::vector<HeadlessHostInfo> &hosts) {
    std::vector<HostId> out;
    for (const HeadlessHostInfo &h : hosts) {
        if (!h.visible || h.id == main) continue;
        HostId owner = h.owner;
        // Owners are older hosts, so the chain ends; the bound is for safety.
        for (size_t depth = 0; owner && owner != main && depth < hosts.size(); ++depth) {
            const HeadlessHostInfo *next = info_of(hosts, owner);
            owner = next ? next->owner : 0;
        }
        if (owner == main) out.push_back(h.id);
    }
    return out;
}

// Counts a frame of the main host: its pixels with each layer's current
// surface pasted at the layer's screen place relative to it, cut to the main
// window's size so every frame of a run has the same size.
void count_layered_frame(HostId main, const uint32_t *pixels, int width, int height, ptrdiff_t stride,
                         const std::vector<HostId> &layers, const std::vector<HeadlessHostInfo> &hosts) {
    FrameDumps &d = frame_dumps();
    d.composite.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        std::copy(pixels + y * stride, pixels + y * stride + width,
                  d.composite.begin() + static_cast<ptrdiff_t>(y) * width);
    const HeadlessHostInfo *base = info_of(hosts, main);
    for (HostId layer : layers) {
        const HeadlessHostInfo *at = info_of(hosts, layer);
        SurfaceView view;
        const HWND window = window_of_host(layer);
        if (!base || !at || !window || !top_level_surface(window, &view)) continue;
        const int64_t dx = int64_t{at->x} - base->x;
        const int64_t dy = int64_t{at->y} - base->y;
        const int64_t left = std::max<int64_t>(0, dx), right = std::min<int64_t>(width, dx + view.width);
        const int64_t top = std::max<int64_t>(0, dy), bottom = std::min<int64_t>(height, dy + view.height);
        for (int64_t y = top; y < bottom; ++y) {
            const uint32_t *from = view.pixels + (y - dy) * view.stride + (left - dx);
            std::copy(from, from + (right - left), d.composite.begin() + static_cast<ptrdiff_t>(y * width + left));
        }
    }
    d.main_host = main;
    d.layers = layers;
    count_frame(main, d.composite.data(), width, height, width);
}

// A frame from the main window's current surface, for a present or a hiding
// of one of its layers: what the screen shows changed though it did not draw.
void count_main_surface_frame(HostId main) {
    SurfaceView view;
    const HWND window = window_of_host(main);
    if (!window || !top_level_surface(window, &view)) return;
    const std::vector<HeadlessHostInfo> hosts = headless_hosts();
    count_layered_frame(main, view.pixels, view.width, view.height, view.stride, layers_over(main, hosts), hosts);
}

void on_present(HostId host, const char *title, const uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    FrameDumps &d = frame_dumps();
    if (d.window.empty()) {
        count_frame(host, pixels, width, height, stride);
        return;
    }
    const std::vector<HeadlessHostInfo> hosts = headless_hosts();
    if (d.window == title) {
        const std::vector<HostId> layers = layers_over(host, hosts);
        if (!layers.empty()) {
            count_layered_frame(host, pixels, width, height, stride, layers, hosts);
            return;
        }
        // Nothing over the window: its frame is its present, as it always was.
        d.layers.clear();
        count_frame(host, pixels, width, height, stride);
        return;
    }
    // A layer's present is a frame of the main window it lies over, the
    // first host up its owner chain that has the main window's title.
    const HeadlessHostInfo *h = info_of(hosts, host);
    for (size_t depth = 0; h && h->owner && depth < hosts.size(); ++depth) {
        const HeadlessHostInfo *owner = info_of(hosts, h->owner);
        if (owner && owner->title == d.window) {
            const std::vector<HostId> layers = layers_over(owner->id, hosts);
            if (std::find(layers.begin(), layers.end(), host) != layers.end()) count_main_surface_frame(owner->id);
            return;
        }
        h = owner;
    }
}

// A layer that goes uncovers the main window: the screen changes without a present.
void on_host_hidden(HostId host) {
    FrameDumps &d = frame_dumps();
    if (d.window.empty() || std::find(d.layers.begin(), d.layers.end(), host) == d.layers.end()) return;
    count_main_surface_frame(d.main_host);
}

void on_host_gone(const char *title) {
    const FrameDumps &d = frame_dumps();
    if (d.window.empty() || d.window == title) write_last();
}

void on_finish() { write_last(); }

}  // namespace

PresentObserver frame_dumps_observer() { return PresentObserver{on_present, on_host_gone, on_finish, on_host_hidden}; }

void headless_select_frames(const std::string &window, uint64_t every, uint64_t limit, bool keep_last) {
    FrameDumps &d = frame_dumps();
    d.window = window;
    d.every = every;
    d.limit = limit;
    d.keep_last = keep_last;
}

bool headless_set_dump_dir(const std::string &dir) {
    FrameDumps &d = frame_dumps();
    d.dir.clear();
    if (dir.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        std::fprintf(stderr, "headless: cannot use '%s' for frame dumps; frames are not dumped\n", dir.c_str());
        return false;
    }
    d.dir = dir;
    return true;
}

uint64_t headless_frame_count() { return frame_dumps().frames; }

}  // namespace standin
