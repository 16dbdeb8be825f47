// Text capture. A window that shows a log repaints its last lines on every
// paint, so a paint alone does not say which lines are new: the program's
// InvalidateRect calls since the previous paint do (one per printed line),
// and the newest lines are the last ones drawn. Once the program has
// invalidated the window as many times as it has ever shown lines, it is
// painted at once, so no line scrolls away unseen between two paints (and a
// log of thousands of lines costs one paint per screenful); the first paint
// of the window brings every line it shows.
#include "session/text_capture.h"

#include "text/text_out.h"
#include "user/paint_observer.h"
#include "user/window.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace standin {

namespace {

struct Capture {
    FILE *file = nullptr;
    std::string title;
    bool painting = false;               // inside BeginPaint..EndPaint of the window
    bool updating = false;               // inside our own UpdateWindow of it
    bool painted_before = false;
    unsigned long long invalidations = 0;  // the program's, since the window's last paint
    size_t most_drawn = 0;               // the most strings one paint of it has drawn
    std::vector<std::string> drawn;      // strings of the paint in progress, in order
};

Capture &capture() {
    static Capture c;
    return c;
}

bool is_captured(HWND window) {
    char text[256];
    const int n = GetWindowTextA(window, text, sizeof text);
    return n >= 0 && capture().title == std::string(text, static_cast<size_t>(n));
}

void record_string(const char *text, int length) { capture().drawn.emplace_back(text, static_cast<size_t>(length)); }

void write_lines(size_t first) {
    Capture &c = capture();
    for (size_t i = first; i < c.drawn.size(); ++i) {
        std::fwrite(c.drawn[i].data(), 1, c.drawn[i].size(), c.file);
        std::fputc('\n', c.file);
    }
    std::fflush(c.file);
}

// Sent, not waited for; a hidden window paints too, so its lines count.
void paint_now(HWND window) {
    Capture &c = capture();
    c.updating = true;
    SendMessageA(window, WM_PAINT, 0, 0);
    c.updating = false;
}

void on_invalidated(HWND window) {
    Capture &c = capture();
    if (!is_captured(window)) return;
    ++c.invalidations;
    if (c.painting || c.updating || c.invalidations < std::max<size_t>(c.most_drawn, 1)) return;
    paint_now(window);
}

void on_paint_begins(HWND window) {
    Capture &c = capture();
    if (c.painting || !is_captured(window)) return;
    c.painting = true;
    c.drawn.clear();
    set_text_out_observer(record_string);
}

void on_paint_ends(HWND window) {
    Capture &c = capture();
    if (!c.painting || !is_captured(window)) return;
    set_text_out_observer(nullptr);
    c.painting = false;
    size_t first = 0;
    if (c.painted_before) {
        const size_t fresh = static_cast<size_t>(c.invalidations);
        if (fresh > c.drawn.size()) {
            std::fprintf(c.file, "[%llu lines were printed while the window did not show them]\n",
                         static_cast<unsigned long long>(fresh - c.drawn.size()));
        } else {
            first = c.drawn.size() - fresh;
        }
    }
    write_lines(first);
    c.most_drawn = std::max(c.most_drawn, c.drawn.size());
    c.painted_before = true;
    c.invalidations = 0;
}

}  // namespace

void flush_text_capture() {
    Capture &c = capture();
    if (!c.file || c.invalidations == 0 || c.painting) return;
    for (HWND h : top_level_windows())
        if (is_captured(h)) {
            paint_now(h);
            return;
        }
}

bool start_text_capture(const std::string &path, const std::string &title) {
    Capture &c = capture();
    c.file = std::fopen(path.c_str(), "wb");
    if (!c.file) {
        std::fprintf(stderr, "headless: cannot write the text file '%s'; the text is not captured\n", path.c_str());
        return false;
    }
    c.title = title;
    PaintObserver observer;
    observer.invalidated = on_invalidated;
    observer.paint_begins = on_paint_begins;
    observer.paint_ends = on_paint_ends;
    set_paint_observer(observer);
    return true;
}

}  // namespace standin
