// The explaining switch, the current writer, the log of written spans and the
// registry of stores that keep a writer plane (bitmap_pixels.h holds the
// planes themselves and writes them when they are read). The stand-in draws from one thread, so this is plain state.
#include "gdi/pixel_writers.h"
#include "gdi/bitmap_pixels.h"

#include <unordered_set>

namespace standin {

namespace {

struct Explaining {
    bool on = false;
    uint32_t writer = 0;
    std::vector<WrittenSpan> spans;           // since the last take_written_spans
    std::unordered_set<const void *> planes;  // stores with a plane, alive
};

// Never destroyed: bitmaps freed during exit still unregister their planes.
Explaining &state() {
    static Explaining *s = new Explaining;
    return *s;
}

}  // namespace

void set_explaining(bool on) {
    Explaining &s = state();
    if (s.on == on) return;
    s.on = on;
    if (on) return;
    // Dropping a plane unregisters it: take the set first.
    std::unordered_set<const void *> planes;
    planes.swap(s.planes);
    for (const void *p : planes) const_cast<BitmapPixels *>(static_cast<const BitmapPixels *>(p))->drop_writers();
    s.spans.clear();
    s.spans.shrink_to_fit();
}

bool explaining() { return state().on; }

void set_pixel_writer(uint32_t writer) { state().writer = writer; }

uint32_t pixel_writer() { return state().writer; }

void take_written_spans(std::vector<WrittenSpan> *out) {
    out->clear();
    out->swap(state().spans);
}

bool surface_writers(const void *surface, WriterView *out) {
    if (!surface || !state().planes.count(surface)) return false;
    const auto *store = static_cast<const BitmapPixels *>(surface);
    *out = WriterView{store->data(), store->writers(), store->width(), store->height(), store->width()};
    return true;
}

void writer_plane_made(const BitmapPixels *store) { state().planes.insert(store); }

void writer_plane_gone(const BitmapPixels *store) { state().planes.erase(store); }

void log_written_rows(const void *surface, int32_t l, int32_t top, int32_t r, int32_t b) {
    std::vector<WrittenSpan> &spans = state().spans;
    int32_t y = top;
    if (!spans.empty()) {
        WrittenSpan &last = spans.back();
        if (last.surface == surface && last.y == y && last.x1 == l) {
            last.x1 = r;
            ++y;
        }
    }
    for (; y < b; ++y) spans.push_back(WrittenSpan{surface, y, l, r});
}

}  // namespace standin
