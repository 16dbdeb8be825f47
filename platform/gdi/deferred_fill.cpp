// The deferred fills of a bitmap: recording solid rectangles and writing them
// out front to back, so that a pixel covered by several fills is written once
// with the colour of the newest; and the spans changed since the bitmap was
// last copied into a window. Relies on target.h's fill_pixels and differing_span.
#include "gdi/bitmap_pixels.h"
#include "gdi/target.h"

#include <algorithm>
#include <cstring>

namespace standin {

namespace {

struct Seg {
    int32_t l, r;
    uint32_t px;
};

// Rows [y0, y1) are covered by the same fills: what each pixel of such a row
// shows, newest fill first. Returns the number of pieces written to `out`.
size_t band_pieces(const std::vector<DeferredFill> &fills, int32_t y0, int32_t y1, int32_t width, Seg *out) {
    // Columns already taken by newer fills, sorted and disjoint.
    Seg cov[BitmapPixels::kMaxFills], next[BitmapPixels::kMaxFills];
    size_t ncov = 0, nout = 0;
    for (size_t k = fills.size(); k-- > 0;) {
        const DeferredFill &f = fills[k];
        if (f.t > y0 || f.b < y1) continue;
        size_t i = 0, nn = 0;
        while (i < ncov && cov[i].r < f.l) next[nn++] = cov[i++];
        int32_t x = f.l, lo = f.l, hi = f.r;
        for (; i < ncov && cov[i].l <= f.r; ++i) {
            if (cov[i].l > x) out[nout++] = Seg{x, cov[i].l, f.px};
            x = std::max(x, cov[i].r);
            lo = std::min(lo, cov[i].l);
            hi = std::max(hi, cov[i].r);
        }
        if (x < f.r) out[nout++] = Seg{x, f.r, f.px};
        next[nn++] = Seg{lo, hi, 0};
        while (i < ncov) next[nn++] = cov[i++];
        std::copy(next, next + nn, cov);
        ncov = nn;
        if (ncov == 1 && cov[0].l <= 0 && cov[0].r >= width) break;  // older fills are hidden
    }
    std::sort(out, out + nout, [](const Seg &a, const Seg &b) { return a.l < b.l; });
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

}  // namespace

void BitmapPixels::reset(int width, int height, uint32_t v) {
    width_ = width;
    height_ = height;
    px_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), v);
    fills_.clear();
    changed_.assign(static_cast<size_t>(height), Span{0, width});
    sync_ = Sync{};
}

void BitmapPixels::mark(int64_t l, int64_t top, int64_t r, int64_t bottom) {
    const auto left = static_cast<int32_t>(std::max<int64_t>(l, 0));
    const auto right = static_cast<int32_t>(std::min<int64_t>(r, width_));
    if (left >= right) return;
    for (int64_t y = std::max<int64_t>(top, 0); y < std::min<int64_t>(bottom, height_); ++y)
        widen(static_cast<size_t>(y), left, right);
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
        ys[ny++] = f.t;
        ys[ny++] = f.b;
    }
    std::sort(ys, ys + ny);
    ny = static_cast<size_t>(std::unique(ys, ys + ny) - ys);
    Seg pieces[2 * kMaxFills];
    static std::vector<uint32_t> pattern;  // one run of the piece's colour
    for (size_t band = 0; band + 1 < ny; ++band) {
        const int32_t y0 = ys[band], y1 = ys[band + 1];
        const size_t n = band_pieces(fills_, y0, y1, width_, pieces);
        // Runs that already hold their colour (the last frame's) are only
        // read, against a row of that colour; of a run that changes, only the
        // span from its first to its last differing pixel is written and marked.
        for (size_t i = 0; i < n; ++i) {
            const size_t len = static_cast<size_t>(pieces[i].r - pieces[i].l);
            if (pattern.size() < len) pattern.resize(len);
            fill_pixels(pattern.data(), len, pieces[i].px);
            for (int32_t y = y0; y < y1; ++y) {
                uint32_t *run = base + static_cast<size_t>(y) * w + pieces[i].l;
                size_t a = 0, b = 0;
                if (!differing_span(run, pattern.data(), len, &a, &b)) continue;
                std::memcpy(run + a, pattern.data() + a, (b - a) * sizeof(uint32_t));
                widen(static_cast<size_t>(y), pieces[i].l + static_cast<int32_t>(a), pieces[i].l + static_cast<int32_t>(b));
            }
        }
    }
    fills_.clear();
}

}  // namespace standin
