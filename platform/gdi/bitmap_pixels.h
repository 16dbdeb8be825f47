// A bitmap's pixel store, with the opaque fills drawn on it but not written
// yet (deferred_fill.cpp), and two records that let later work skip pixels:
// which columns of each row changed since the bitmap was last copied into a
// window, and what the last large settle wrote; while explaining, the writer
// of each pixel (pixel_writers.h). PIXEL_CACHES.md beside this file states
// what each record means and when it may be trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace standin {

// A solid rectangle in surface pixels, right and bottom exclusive.
struct DeferredFill {
    int32_t l, t, r, b;
    uint32_t px;  // 0x00RRGGBB
};

// Columns [l, r) of a row that the recorded fills paint px.
struct FillRun {
    int32_t l, r;
    uint32_t px;
    bool operator==(const FillRun &) const = default;
};

class BitmapPixels {
public:
    using const_iterator = std::vector<uint32_t>::const_iterator;
    using iterator = const_iterator;
    using value_type = uint32_t;

    BitmapPixels() = default;
    ~BitmapPixels() { drop_writers(); }
    BitmapPixels(const BitmapPixels &) = delete;
    BitmapPixels &operator=(const BitmapPixels &) = delete;

    // width x height pixels of value v; forgets every recorded fill. A
    // writer plane, if kept, starts again at 0.
    void reset(int width, int height, uint32_t v);
    int width() const { return width_; }
    int height() const { return height_; }

    // Reading: the pixels as immediate drawing would have left them (the
    // record is written first). Reading marks nothing.
    const uint32_t *data() const { return settled().data(); }
    const_iterator begin() const { return settled().begin(); }
    const_iterator end() const { return settled().end(); }
    uint32_t operator[](size_t i) const { return settled()[i]; }
    operator const std::vector<uint32_t> &() const { return settled(); }
    size_t size() const { return px_.size(); }
    bool empty() const { return px_.empty(); }
    friend bool operator==(const std::vector<uint32_t> &a, const BitmapPixels &b) { return a == b.settled(); }
    friend bool operator==(const BitmapPixels &a, const std::vector<uint32_t> &b) { return a.settled() == b; }

    // Writing from outside the rasterizer (tests, tools): the caller may
    // write anywhere, so every row counts as changed.
    std::span<uint32_t> for_writing() {
        std::vector<uint32_t> &px = settled();
        mark(0, 0, width_, height_);
        return px;
    }

    // ---- for the rasterizer ----

    // The store as it is, fills still pending: only for code that records
    // fills or has settled them.
    uint32_t *unsettled() { return px_.data(); }
    // Records a solid rectangle, already clipped to the bitmap and not empty.
    // A full record is written out first; a fill hides the older ones it covers.
    void record(const DeferredFill &f);
    // Writes the recorded fills, each pixel once, and empties the record.
    void settle() const;

    static constexpr size_t kMaxFills = 64;

    // ---- the writer plane (pixel_writers.h) ----

    // A rectangle drawn by `writer`, in surface pixels, right and bottom exclusive.
    struct WriterRect {
        int32_t l, t, r, b;
        uint32_t writer;
    };
    bool has_writers() const { return !writers_.empty(); }
    // Makes a plane of 0; the fills recorded before it are written first, as
    // drawn by no one.
    void make_writers();
    void drop_writers();
    // Gives a rectangle, already clipped to the bitmap and not empty, its
    // writer. Recorded, like fills, until the plane is read: a frame drawn
    // whole over itself then costs its rectangles, not its pixels twice over.
    void write_writers(const WriterRect &w);
    // The plane, laid out as the pixels, with every recorded rectangle written.
    const uint32_t *writers() const;

    static constexpr size_t kMaxWriterRects = 16384;

    // ---- columns changed since the last copy into a window ----

    // Columns [l, r) of a row; none when r <= l.
    struct Span {
        int32_t l = 0, r = 0;
    };
    // Drawing reports the rectangles it may have changed (target_touched);
    // writing the recorded fills marks the runs where they changed a pixel.
    // Each row keeps one span, the union of what was marked on it.
    void mark(int64_t l, int64_t top, int64_t r, int64_t bottom);
    Span row_span(int64_t y) const { return changed_[static_cast<size_t>(y)]; }
    // A copy of the rectangle (l, t, r, b) of this bitmap into a window
    // surface, displaced by (dx, dy), after which the surface was at
    // `version`: until the next copy, only the changed rows can differ
    // between the two, as long as the surface is still at that version.
    struct Sync {
        const uint32_t *surface = nullptr;
        int64_t dx = 0, dy = 0, l = 0, t = 0, r = 0, b = 0;
        uint64_t version = 0;
        bool operator==(const Sync &) const = default;
    };
    const Sync &sync() const { return sync_; }
    // Records a copy and forgets the changed spans.
    void synced(const Sync &s);

private:
    std::vector<uint32_t> &settled() const {
        if (!fills_.empty()) settle();
        return px_;
    }
    // Adds [l, r) to a span; the second form to row y's changed span.
    static void widen(Span &s, int32_t l, int32_t r) {
        s = s.l >= s.r ? Span{l, r} : Span{s.l < l ? s.l : l, s.r > r ? s.r : r};
    }
    void widen(size_t y, int32_t l, int32_t r) const { widen(changed_[y], l, r); }

    mutable std::vector<uint32_t> px_;           // 0x00RRGGBB, width_ per row
    mutable std::vector<uint32_t> writers_;      // explaining: the writer of each pixel of px_
    mutable std::vector<WriterRect> writer_rects_;  // not yet in writers_, oldest first
    mutable std::vector<DeferredFill> fills_;    // in drawing order, oldest first
    mutable std::vector<Span> changed_;          // per row: what may differ from the synced window
    // What the kept settle wrote (see settle): rows [t, b) hold pieces
    // [first, first + n) of settled_pieces_, except where drawn over since.
    struct Band {
        int32_t t, b;
        uint32_t first, n;
    };
    mutable std::vector<Band> settled_bands_;
    mutable std::vector<FillRun> settled_pieces_;
    mutable int64_t settled_area_ = 0;
    mutable std::vector<Span> touched_;  // per row: drawn over since the kept settle
    // Rows outside [touched_t_, touched_b_) have an empty touched_ span, so
    // writing the kept fills again skips them without reading each one.
    mutable int32_t touched_t_ = 0, touched_b_ = 0;
    void touch_rows(int32_t t, int32_t b) const {
        if (touched_t_ >= touched_b_) {
            touched_t_ = t;
            touched_b_ = b;
        } else {
            touched_t_ = t < touched_t_ ? t : touched_t_;
            touched_b_ = b > touched_b_ ? b : touched_b_;
        }
    }
    // settle's working space, kept between calls so a frame allocates nothing:
    // the bands and runs it writes (swapped with the kept ones when it is
    // kept), the rows drawn over since the kept settle, and one row of a
    // run's colour to compare rows against.
    struct DrawnRow {
        int32_t y, l, r;  // row y's touched span [l, r)
    };
    struct Scratch {
        std::vector<Band> bands;
        std::vector<FillRun> runs;
        std::vector<DrawnRow> drawn;
        std::vector<uint32_t> pattern;
        size_t pattern_len = 0;  // how much of pattern holds pattern_px
        uint32_t pattern_px = 0;
    };
    mutable Scratch scratch_;
    Sync sync_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace standin
