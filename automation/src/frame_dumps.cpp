// Frame dumps, as PNG: the headless backend hands every present to the
// observer registered here. By default every presented frame of every host,
// DIR/frame-NNNNNN-hostN.png; a run that names its main window
// (STANDIN_HEADLESS_WINDOW) gets only that window's frames,
// DIR/frame-NNNNNN.png numbered by its own presents, every Nth of them, and
// its last frame as DIR/last.png when the window goes or the program ends. A
// directory that cannot be made turns the dumps off with one message. Each
// frame kept is also handed to the run's record (run_record.cpp).
#include "automation.h"

#include "steered_run.h"

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
};

void on_present(HostId host, const char *title, const uint32_t *pixels, int width, int height, ptrdiff_t stride);
void on_host_gone(const char *title);
void on_finish();

// Never destroyed: the backend's shutdown at exit may still write the last
// frame after static objects are gone. The observer is registered with the
// first use, so a test that never dumps or counts frames pays nothing.
FrameDumps &frame_dumps() {
    static FrameDumps *d = [] {
        headless_set_present_observer(PresentObserver{on_present, on_host_gone, on_finish});
        return new FrameDumps;
    }();
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

void on_present(HostId host, const char *title, const uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    FrameDumps &d = frame_dumps();
    const bool one_window = !d.window.empty();
    if (one_window && d.window != title) return;
    ++d.frames;
    if (d.limit > 0 && d.frames > d.limit) return;
    // The record numbers frames as the dumps do, from this one count.
    record_frame(d.frames);
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

void on_host_gone(const char *title) {
    const FrameDumps &d = frame_dumps();
    if (d.window.empty() || d.window == title) write_last();
}

void on_finish() { write_last(); }

}  // namespace

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
