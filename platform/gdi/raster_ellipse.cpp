// Ellipse: the pixels on and inside the curve through the centres of the
// box's edge pixels (right and bottom edge excluded), one span per visible row
// straight from the ellipse equation, with the nearest-pixel rounding of a
// midpoint ellipse. A one-pixel pen outlines that set's edge pixels; a wide
// pen is the ring between the sets of the box grown and shrunk by half the
// width. Relies on raster.h, raster_math.h and target.h.
#include "gdi/raster.h"
#include "gdi/raster_math.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

namespace standin {

namespace {

struct Box {
    int64_t l, t, r, b;  // r > l, b > t
};

// Moves the guess v of grid_below_curve by steps of 2 to the largest value
// with v^2 B^2 < A^2 (B^2 - u^2), v <= vmax; I holds every product.
template <class I>
int64_t correct_guess(int64_t v, int64_t vmax, int64_t A, int64_t B, int64_t u) {
    const I rhs = I{A} * A * ((B - u) * (B + u));
    const I b2 = I{B} * B;
    auto below = [&](int64_t x) { return x < 0 || I{x} * x * b2 < rhs; };
    constexpr int kMaxFix = 8;
    for (int k = 0; k < kMaxFix && v + 2 <= vmax && below(v + 2); ++k) v += 2;
    for (int k = 0; k < kMaxFix && !below(v); ++k) v -= 2;
    return v;
}

// Largest v <= vmax with v = parity (mod 2) and v < A sqrt(B^2 - u^2) / B,
// |u| <= B, B > 0: how far a grid offset may go before the curve is nearer
// to the next one. Exact while A and B stay below 2^31 (boxes up to a
// billion pixels); beyond that the long double guess stands.
int64_t grid_below_curve(int64_t vmax, int64_t parity, int64_t A, int64_t B, int64_t u) {
    constexpr int64_t kExactLimit = int64_t{1} << 31;
    const bool exact = A < kExactLimit && B < kExactLimit;
    int64_t v;
    if (exact) {
        const double c = static_cast<double>(A) * std::sqrt(static_cast<double>(B - u) * static_cast<double>(B + u)) /
                         static_cast<double>(B);
        v = clamp_guess(c, -2, vmax);
    } else {
        const long double c = static_cast<long double>(A) *
                              std::sqrt(static_cast<long double>(B - u) * static_cast<long double>(B + u)) /
                              static_cast<long double>(B);
        v = clamp_guess(c, -2, vmax);
    }
    if (((v - parity) & 1) != 0) --v;
    if (!exact) return v;
    // Below 2^15 every product here stays below 2^60: the same comparisons in
    // 64 bits, which spares 32-bit targets (the browser build) a library call
    // for each 128-bit multiply. Below 2^31 they stay below 2^124.
    constexpr int64_t kNarrowLimit = int64_t{1} << 15;
    if (A < kNarrowLimit && B < kNarrowLimit) return correct_guess<int64_t>(v, vmax, A, B, u);
    return correct_guess<i128>(v, vmax, A, B, u);
}

// Half the doubled width of row offset Y (doubled, from the box centre) of
// the ellipse with semi-axes A and B. Offsets are doubled and measured from
// the box centre between its first and last pixel centres: the curve has
// semi-axes A = W - 1 and B = H - 1 there. A row takes the pixel nearest to
// where the curve crosses it, and the row nearest to where the curve crosses
// each column also reaches out to that column (exact halves go inwards), so
// the outline has no gaps where the curve is flat. The middle row(s) span the
// full width and every row keeps its middle pixel(s), so even a degenerate
// box draws a line or a dot and touches all four sides; everything is
// symmetric about the box centre.
int64_t half_width(int64_t A, int64_t B, int64_t Y) {
    if (Y <= 1) return A;
    // Row crossing: largest X with X - 1 nearer the curve than X + 1.
    const int64_t by_row = grid_below_curve(A - 1, (A + 1) & 1, A, B, Y) + 1;
    // Column crossings reaching this row: largest X whose curve height is above Y - 1.
    const int64_t by_column = grid_below_curve(A, A & 1, A, B, Y - 1);
    return std::max({by_row, by_column, A & 1});
}

// The rows of one box's ellipse. Their widths depend on the box's size only,
// and a program draws the same few sizes frame after frame: up to a size,
// they are worked out once per size and kept in a small table (the oldest
// size makes way), which an ellipse being drawn shares.
class EllipseRows {
public:
    explicit EllipseRows(const Box &e) : e_(e), A_(e.r - e.l - 1), B_(e.b - e.t - 1) {
        constexpr int64_t kMaxKeptRows = 4096;
        if (B_ + 1 > kMaxKeptRows || A_ > INT32_MAX) return;
        struct Kept {
            int64_t A = -1, B = -1;
            std::shared_ptr<std::vector<int64_t>> hw;
        };
        static std::array<Kept, 8> kept;
        static size_t oldest = 0;
        for (const Kept &k : kept)
            if (k.A == A_ && k.B == B_) {
                hw_ = k.hw;
                return;
            }
        // Worked out as rows are first drawn: a clipped ellipse costs its visible rows.
        auto hw = std::make_shared<std::vector<int64_t>>(static_cast<size_t>(B_ + 1), kUnknown);
        kept[oldest] = Kept{A_, B_, hw};
        oldest = (oldest + 1) % kept.size();
        hw_ = std::move(hw);
    }

    // The ellipse's pixels on row y.
    Span operator()(int64_t y) const {
        if (y < e_.t || y >= e_.b) return Span{};
        const int64_t Y = std::abs(2 * (y - e_.t) - B_);
        int64_t hw;
        if (!hw_) {
            hw = half_width(A_, B_, Y);
        } else {
            int64_t &kept = (*hw_)[static_cast<size_t>(y - e_.t)];
            if (kept == kUnknown) kept = half_width(A_, B_, Y);
            hw = kept;
        }
        return Span{e_.l + (A_ - hw) / 2, e_.l + (A_ + hw) / 2 + 1};
    }

private:
    static constexpr int64_t kUnknown = -1;
    Box e_;
    int64_t A_, B_;
    std::shared_ptr<std::vector<int64_t>> hw_;
};

void fill_ellipse(const Target &t, const Box &e, uint32_t px) {
    const int64_t y0 = std::max(e.t, t.ct), y1 = std::min(e.b, t.cb);
    if (y0 >= y1) return;
    const EllipseRows ellipse_row(e);
    for (int64_t y = y0; y < y1; ++y) {
        const Span s = ellipse_row(y);
        fill_span(t, y, s.l, s.r, px);
    }
}

// One-pixel outline: the pixels of the set with a neighbour outside it.
void thin_ellipse(const Target &t, const Box &e, const Stroke &pen, const Fill &fill) {
    if (fill.on && fill.px == pen.px) {
        fill_ellipse(t, e, pen.px);
        return;
    }
    const int64_t y0 = std::max(e.t, t.ct), y1 = std::min(e.b, t.cb);
    if (y0 >= y1) return;
    const EllipseRows ellipse_row(e);
    Span prev = ellipse_row(y0 - 1), cur = ellipse_row(y0);
    for (int64_t y = y0; y < y1; ++y) {
        const Span next = ellipse_row(y + 1);
        Span inner{};
        if (!prev.empty() && !next.empty())
            inner = Span{std::max({cur.l + 1, prev.l, next.l}), std::min({cur.r - 1, prev.r, next.r})};
        Span pen_spans[2];
        size_t n = 0;
        if (inner.empty()) {
            pen_spans[n++] = cur;
        } else {
            pen_spans[n++] = Span{cur.l, inner.l};
            pen_spans[n++] = Span{inner.r, cur.r};
        }
        paint_row(t, y, pen_spans, n, pen.px, inner, fill);
        prev = cur;
        cur = next;
    }
}

// Wide outline: the ring between the box grown by floor(w/2) and shrunk by
// ceil(w/2), which is w pixels thick across each axis.
void wide_ellipse(const Target &t, const Box &e, const Stroke &pen, const Fill &fill) {
    const int64_t g_out = pen.width / 2, g_in = (pen.width + 1) / 2;
    const Box outer{e.l - g_out, e.t - g_out, e.r + g_out, e.b + g_out};
    const bool has_inner = e.r - e.l > 2 * g_in && e.b - e.t > 2 * g_in;
    const Box inner{e.l + g_in, e.t + g_in, e.r - g_in, e.b - g_in};
    const int64_t y0 = std::max(outer.t, t.ct), y1 = std::min(outer.b, t.cb);
    if (y0 >= y1) return;
    const EllipseRows outer_row(outer), inner_row(has_inner ? inner : outer);
    for (int64_t y = y0; y < y1; ++y) {
        const Span o = outer_row(y);
        Span i = has_inner ? inner_row(y) : Span{};
        i.l = std::max(i.l, o.l);
        i.r = std::min(i.r, o.r);
        Span pen_spans[2];
        size_t n = 0;
        if (i.empty()) {
            pen_spans[n++] = o;
        } else {
            if (o.l < i.l) pen_spans[n++] = Span{o.l, i.l};
            if (i.r < o.r) pen_spans[n++] = Span{i.r, o.r};
        }
        paint_row(t, y, pen_spans, n, pen.px, i, fill);
    }
}

}  // namespace

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    Dc *dc;
    Target t;
    if (!begin_draw(hdc, &dc, &t)) return FALSE;
    Box e{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    if (e.l == e.r || e.t == e.b || t.empty()) return TRUE;
    const Stroke pen = dc_stroke(dc, t);
    const Fill fill = brush_fill(dc->brush, t);
    // A one-pixel box with a one-pixel pen draws nothing, as on Windows.
    if (pen.on && pen.thin() && e.r - e.l == 1 && e.b - e.t == 1) return TRUE;
    if (!pen.on) {
        // Unlike Rectangle, a pen-less ellipse keeps its size: the brush covers
        // what a one-pixel pen and the brush together would.
        if (fill.on) {
            fill_ellipse(t, e, fill.px);
            target_touched(t, e.l, e.t, e.r, e.b);
        }
        return TRUE;
    }
    if (pen.inside_frame) {
        const int64_t k = pen.width / 2;
        if (e.r - e.l <= 2 * k || e.b - e.t <= 2 * k) {
            fill_ellipse(t, e, pen.px);
            target_touched(t, e.l, e.t, e.r, e.b);
            return TRUE;
        }
        e = Box{e.l + k, e.t + k, e.r - k, e.b - k};
    }
    if (pen.thin()) {
        thin_ellipse(t, e, pen, fill);
        target_touched(t, e.l, e.t, e.r, e.b);
    } else {
        wide_ellipse(t, e, pen, fill);
        const int64_t grow = pen.width / 2 + 1;
        target_touched(t, e.l - grow, e.t - grow, e.r + grow, e.b + grow);
    }
    return TRUE;
}

}  // extern "C"
