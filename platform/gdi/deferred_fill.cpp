// The deferred fills of a bitmap: recording solid rectangles and writing them
// out front to back, so that a pixel covered by several fills is written once
// with the colour of the newest; and the spans changed since the bitmap was
// last copied into a window; and the writer plane's life (pixel_writers.h).
// Relies on target.h's fill_pixels and differing_span.
#include "gdi/bitmap_pixels.h"
#include "gdi/pixel_writers.h"
#include "gdi/target.h"

#include <algorithm>

namespace standin {

namespace {

// Rows [y0, y1) are covered by the same fills: what each pixel of such a row
// shows, newest fill first. Returns the number of pieces written to `out`.
size_t band_pieces(const std::vector<DeferredFill> &fills, int32_t y0, int32_t y1, int32_t width, FillRun *out) {
    // Columns already taken by newer fills, sorted and disjoint.
    FillRun cov[BitmapPixels::kMaxFills], next[BitmapPixels::kMaxFills];
    size_t ncov = 0, nout = 0;
    for (size_t k = fills.size(); k-- > 0;) {
        const DeferredFill &f = fills[k];
        if (f.t > y0 || f.b < y1) continue;
        size_t i = 0, nn = 0;
        while (i < ncov && cov[i].r < f.l) next[nn++] = cov[i++];
        int32_t x = f.l, lo = f.l, hi = f.r;
        for (; i < ncov && cov[i].l <= f.r; ++i) {
            if (cov[i].l > x) out[nout++] = FillRun{x, cov[i].l, f.px};
            x = std::max(x, cov[i].r);
            lo = std::min(lo, cov[i].l);
            hi = std::max(hi, cov[i].r);
        }
        if (x < f.r) out[nout++] = FillRun{x, f.r, f.px};
        next[nn++] = FillRun{lo, hi, 0};
        while (i < ncov) next[nn++] = cov[i++];
        std::copy(next, next + nn, cov);
        ncov = nn;
        if (ncov == 1 && cov[0].l <= 0 && cov[0].r >= width) break;  // older fills are hidden
    }
    std::sort(out, out + nout, [](const FillRun &a, const FillRun &b) { return a.l < b.l; });
    // Neighbours of one colour become one run.
    size_t m = 0;
    for (size_t i = 0; i < nout; ++i) {
        if (m > 0 && out[m - 1].r == out[i].l && out[m - 1].px == out[i].px) {
            out[m - 1].r = out[i].r;
        } else {
            out[m++] = out[i];
        }
    }
    return m;
}

// Inserts y into the sorted, distinct edges ys[0, n): a record has a few
// dozen edges at most, too few for a call into the C++ library's sort to pay.
void add_edge(int32_t *ys, size_t &n, int32_t y) {
    size_t i = n;
    while (i > 0 && ys[i - 1] > y) --i;
    if (i > 0 && ys[i - 1] == y) return;
    for (size_t k = n; k > i; --k) ys[k] = ys[k - 1];
    ys[i] = y;
    ++n;
}

}  // namespace

void BitmapPixels::reset(int width, int height, uint32_t v) {
    width_ = width;
    height_ = height;
    px_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), v);
    fills_.clear();
    changed_.assign(static_cast<size_t>(height), Span{0, width});
    touched_.assign(static_cast<size_t>(height), Span{0, width});
    touched_t_ = 0;
    touched_b_ = height;
    settled_bands_.clear();
    settled_pieces_.clear();
    settled_area_ = 0;
    sync_ = Sync{};
    writer_rects_.clear();
    if (!writers_.empty()) writers_.assign(px_.size(), 0u);
}

void BitmapPixels::make_writers() {
    if (!writers_.empty() || px_.empty()) return;
    settle();
    writers_.assign(px_.size(), 0u);
    writer_plane_made(this);
}

void BitmapPixels::drop_writers() {
    if (writers_.empty()) return;
    writers_.clear();
    writers_.shrink_to_fit();
    writer_rects_.clear();
    writer_rects_.shrink_to_fit();
    writer_plane_gone(this);
}

void BitmapPixels::write_writers(const WriterRect &w) {
    if (writers_.empty()) return;
    if (w.l <= 0 && w.t <= 0 && w.r >= width_ && w.b >= height_) {
        writer_rects_.clear();  // hides everything recorded before
    } else if (!writer_rects_.empty()) {
        // A row continuing the last one, or a rectangle growing it downwards
        // (the rows of a fill, the middle rows of an ellipse), joins it.
        WriterRect &last = writer_rects_.back();
        if (last.writer == w.writer && last.t == w.t && last.b == w.b && last.r == w.l) {
            last.r = w.r;
            return;
        }
        if (last.writer == w.writer && last.l == w.l && last.r == w.r && last.b == w.t) {
            last.b = w.b;
            return;
        }
        if (writer_rects_.size() >= kMaxWriterRects) writers();
    }
    writer_rects_.push_back(w);
}

const uint32_t *BitmapPixels::writers() const {
    if (writers_.empty()) return nullptr;
    const size_t w = static_cast<size_t>(width_);
    for (const WriterRect &r : writer_rects_)
        for (int32_t y = r.t; y < r.b; ++y)
            fill_pixels(writers_.data() + static_cast<size_t>(y) * w + r.l, static_cast<size_t>(r.r - r.l), r.writer);
    writer_rects_.clear();
    return writers_.data();
}

void BitmapPixels::mark(int64_t l, int64_t top, int64_t r, int64_t bottom) {
    const auto left = static_cast<int32_t>(std::max<int64_t>(l, 0));
    const auto right = static_cast<int32_t>(std::min<int64_t>(r, width_));
    if (left >= right) return;
    const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(bottom, height_);
    if (y0 >= y1) return;
    touch_rows(static_cast<int32_t>(y0), static_cast<int32_t>(y1));
    for (int64_t y = y0; y < y1; ++y) {
        widen(static_cast<size_t>(y), left, right);
        widen(touched_[static_cast<size_t>(y)], left, right);
    }
}

void BitmapPixels::synced(const Sync &s) {
    sync_ = s;
    std::fill(changed_.begin(), changed_.end(), Span{});
}

void BitmapPixels::record(const DeferredFill &f) {
    if (fills_.size() >= kMaxFills) settle();
    if (fills_.capacity() == 0) fills_.reserve(kMaxFills);
    // Fills the new one covers can never show: forget them (a fill of the
    // whole bitmap empties the record).
    std::erase_if(fills_, [&](const DeferredFill &o) { return o.l >= f.l && o.t >= f.t && o.r <= f.r && o.b <= f.b; });
    fills_.push_back(f);
}

void BitmapPixels::settle() const {
    if (fills_.empty()) return;
    const size_t w = static_cast<size_t>(width_);
    uint32_t *base = px_.data();
    // Rows between consecutive fill edges are covered by the same fills.
    int32_t ys[2 * kMaxFills];
    size_t ny = 0;
    for (const DeferredFill &f : fills_) {
        add_edge(ys, ny, f.t);
        add_edge(ys, ny, f.b);
    }
    std::vector<Band> &bands = scratch_.bands;  // what this settle writes
    std::vector<FillRun> &runs = scratch_.runs;
    bands.clear();
    runs.clear();
    int64_t area = 0;
    for (size_t k = 0; k + 1 < ny; ++k) {
        FillRun pieces[2 * kMaxFills];
        const size_t n = band_pieces(fills_, ys[k], ys[k + 1], width_, pieces);
        bands.push_back(Band{ys[k], ys[k + 1], static_cast<uint32_t>(runs.size()), static_cast<uint32_t>(n)});
        runs.insert(runs.end(), pieces, pieces + n);
        for (size_t i = 0; i < n; ++i) area += int64_t{pieces[i].r - pieces[i].l} * (ys[k + 1] - ys[k]);
    }
    // Of this settle and the last one kept, the one that wrote more is kept
    // for the next (a frame's background, not the small fills drawn on it).
    // Keeping the old one, what this one writes counts as drawn over it.
    const bool keep = area >= settled_area_;

    std::vector<uint32_t> &pattern = scratch_.pattern;  // one run of the piece's colour
    size_t &pattern_len = scratch_.pattern_len;
    uint32_t &pattern_px = scratch_.pattern_px;
    // The rows drawn over since the kept settle, listed when a band written
    // with its pieces is first met: only those rows of such bands are read,
    // and a frame's background has hundreds of rows with nothing drawn on
    // them. Listed before this settle writes: what it writes itself lies in
    // pieces of its own, which the kept pieces cannot cover.
    std::vector<DrawnRow> &drawn = scratch_.drawn;
    bool drawn_listed = false;
    const auto list_drawn_rows = [&] {
        drawn.clear();
        for (int32_t y = touched_t_; y < touched_b_; ++y) {
            const Span &s = touched_[static_cast<size_t>(y)];
            if (s.l < s.r) drawn.push_back(DrawnRow{y, s.l, s.r});
        }
        drawn_listed = true;
    };
    size_t old = 0;  // the first band of the kept settle not above this one
    for (const Band &band : bands) {
        const FillRun *pieces = runs.data() + band.first;
        // Split the rows by whether the kept settle wrote them with these
        // same pieces: there, only what was drawn over them since can differ.
        struct Rows {
            int32_t t, b;
            bool same;
        } parts[2 * kMaxFills + 1];
        size_t nparts = 0;
        for (int32_t y = band.t; y < band.b;) {
            while (old < settled_bands_.size() && settled_bands_[old].b <= y) ++old;
            Rows p{y, band.b, false};
            if (old < settled_bands_.size() && settled_bands_[old].t <= y) {
                const Band &o = settled_bands_[old];
                p.b = std::min(band.b, o.b);
                p.same = o.n == band.n && std::equal(pieces, pieces + band.n, settled_pieces_.begin() + o.first);
            } else if (old < settled_bands_.size()) {
                p.b = std::min(band.b, settled_bands_[old].t);
            }
            parts[nparts++] = p;
            y = p.b;
        }
        // Runs that already hold their colour are only read, against a row of
        // that colour; of a run that changes, only the span from its first to
        // its last differing pixel is written and marked.
        for (size_t i = 0; i < band.n; ++i) {
            const FillRun &piece = pieces[i];
            const size_t len = static_cast<size_t>(piece.r - piece.l);
            // Refilled only when the colour changes or the run is longer than
            // what it holds: a frame's background repeats one colour band after band.
            if (pattern_px != piece.px || pattern_len < len) {
                if (pattern.size() < len) pattern.resize(len);
                if (pattern_px != piece.px) pattern_len = 0;
                fill_pixels(pattern.data() + pattern_len, len - pattern_len, piece.px);
                pattern_len = len;
                pattern_px = piece.px;
            }
            const auto write = [&](int32_t y, int32_t l, int32_t r) {
                uint32_t *run = base + static_cast<size_t>(y) * w + l;
                size_t a = 0, b = 0;
                if (!differing_span(run, pattern.data(), static_cast<size_t>(r - l), &a, &b)) return;
                fill_pixels(run + a, b - a, piece.px);
                const auto from = l + static_cast<int32_t>(a), to = l + static_cast<int32_t>(b);
                widen(static_cast<size_t>(y), from, to);
                if (!keep) {
                    widen(touched_[static_cast<size_t>(y)], from, to);
                    touch_rows(y, y + 1);
                }
            };
            for (size_t k = 0; k < nparts; ++k) {
                if (!parts[k].same) {
                    for (int32_t y = parts[k].t; y < parts[k].b; ++y) write(y, piece.l, piece.r);
                    continue;
                }
                if (!drawn_listed) list_drawn_rows();
                const auto from = std::lower_bound(drawn.begin(), drawn.end(), parts[k].t,
                                                   [](const DrawnRow &d, int32_t y) { return d.y < y; });
                for (auto d = from; d != drawn.end() && d->y < parts[k].b; ++d) {
                    const int32_t l = std::max(piece.l, d->l), r = std::min(piece.r, d->r);
                    if (l < r) write(d->y, l, r);
                }
            }
        }
    }
    if (keep) {
        settled_bands_.swap(bands);
        settled_pieces_.swap(runs);
        settled_area_ = area;
        // A kept settle widens no touched span, so the list holds them all.
        if (drawn_listed) {
            for (const DrawnRow &d : drawn) touched_[static_cast<size_t>(d.y)] = Span{};
        } else if (touched_t_ < touched_b_) {
            std::fill(touched_.begin() + touched_t_, touched_.begin() + touched_b_, Span{});
        }
        touched_t_ = touched_b_ = 0;
    }
    fills_.clear();
}

}  // namespace standin
