// Lines: the one-pixel walk, the capsule of a wide pen segment, and
// MoveToEx/LineTo. Relies on raster.h/raster_math.h for the exact arithmetic
// and target.h for clipping.
//
// One-pixel lines step once per pixel along the major axis (|dx| >= |dy| is
// x-major) and take the minor coordinate round(i * minor / major). An exact
// half rounds towards the smaller minor coordinate (up for x-major lines, left
// for y-major ones) whatever the direction, so a line and its reverse light
// the same pixels apart from the end point each leaves out.
#include "gdi/raster.h"
#include "gdi/raster_math.h"

#include <algorithm>

namespace standin {

namespace {

// The minor offset of step i is floor((2 i dm + n - bias) / 2n): bias 1
// sends exact halves down, bias 0 up; elsewhere it changes nothing.
// first_reaching gives the first step whose offset is >= k (dm > 0) or < k
// (dm < 0), that formula solved for i; it may lie outside [0, n).
int64_t first_reaching(int64_t k, int64_t dm, int64_t n, int64_t bias) {
    const i128 c = i128{2} * n * k - n + bias;  // offset(i) >= k  <=>  2 i dm >= c
    if (dm > 0) return static_cast<int64_t>(-floor_div128(-c, i128{2} * dm));  // ceil(c / 2dm)
    // dm < 0: offset(i) < k  <=>  2 i dm < c  <=>  i > -c / (-2 dm)
    return static_cast<int64_t>(floor_div128(-c, i128{-2} * dm) + 1);
}

}  // namespace

void thin_line(const Target &t, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t px) {
    if (t.empty()) return;
    const int64_t dx = x1 - x0, dy = y1 - y0;
    const bool x_major = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    // Major axis M, minor axis m.
    const int64_t M0 = x_major ? x0 : y0, m0 = x_major ? y0 : x0;
    const int64_t dM = x_major ? dx : dy, dm = x_major ? dy : dx;
    const int64_t n = dM < 0 ? -dM : dM;  // pixels drawn: the end point is left out
    if (n == 0) return;
    const int64_t sM = dM < 0 ? -1 : 1;
    const int64_t bias = 1;
    const int64_t Mlo = x_major ? t.cl : t.ct, Mhi = x_major ? t.cr : t.cb;
    const int64_t mlo = x_major ? t.ct : t.cl, mhi = x_major ? t.cb : t.cr;

    // Steps whose major coordinate is visible.
    int64_t a, b;
    if (sM > 0) {
        a = Mlo - M0;
        b = Mhi - M0;
    } else {
        a = M0 - Mhi + 1;
        b = M0 - Mlo + 1;
    }
    a = std::max<int64_t>(a, 0);
    b = std::min<int64_t>(b, n);
    if (a >= b) return;
    // Narrow to steps whose minor coordinate is visible; the offset is monotone in i.
    const int64_t lo_off = mlo - m0, hi_off = mhi - m0;
    if (dm == 0) {
        if (lo_off > 0 || hi_off <= 0) return;
    } else if (dm > 0) {
        a = std::max(a, first_reaching(lo_off, dm, n, bias));
        b = std::min(b, first_reaching(hi_off, dm, n, bias));
    } else {
        a = std::max(a, first_reaching(hi_off, dm, n, bias));
        b = std::min(b, first_reaching(lo_off, dm, n, bias));
    }
    if (a >= b) return;

    // Incremental walk: num = 2 i dm + n - bias = q * 2n + rem, 0 <= rem < 2n.
    const int64_t two_n = 2 * n, step = 2 * dm;
    const i128 num = i128{2} * a * dm + n - bias;
    int64_t q = static_cast<int64_t>(floor_div128(num, two_n));
    int64_t rem = static_cast<int64_t>(num - i128{q} * two_n);
    int64_t M = M0 + sM * a;
    for (int64_t i = a; i < b; ++i) {
        const int64_t m = m0 + q;
        if (x_major) put_pixel(t, M, m, px); else put_pixel(t, m, M, px);
        M += sM;
        rem += step;
        if (rem >= two_n) {
            rem -= two_n;
            ++q;
        } else if (rem < 0) {
            rem += two_n;
            --q;
        }
    }
}

// ---- capsules ----

Capsule make_capsule(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t width) {
    // Odd widths centre on pixel centres; even widths on the pixel's top-left
    // corner, which puts the extra pixel row above and left of the line.
    const int64_t p = width & 1;
    Capsule c;
    c.ax = 2 * x0 + p;
    c.ay = 2 * y0 + p;
    c.bx = 2 * x1 + p;
    c.by = 2 * y1 + p;
    c.r = width;
    // Pixel centre Y = 2y + 1 within [min - r, max + r].
    c.top = ceil_div(std::min(c.ay, c.by) - c.r - 1, 2);
    c.bottom = floor_div(std::max(c.ay, c.by) + c.r - 1, 2);
    constexpr int64_t kSmall = int64_t{1} << 28;
    auto small = [&](int64_t v) { return v > -kSmall && v < kSmall; };
    c.small = small(c.ax) && small(c.ay) && small(c.bx) && small(c.by) && c.r < kSmall;
    if (c.small) {
        // |cross| <= r |v| holds for integers exactly when |cross| <= floor(sqrt(r^2 |v|^2)).
        const int64_t vx = c.bx - c.ax, vy = c.by - c.ay;
        c.l2 = vx * vx + vy * vy;
        const u128 k = static_cast<u128>(c.r) * static_cast<u128>(c.r) * static_cast<u128>(c.l2);
        uint64_t s = static_cast<uint64_t>(std::sqrt(static_cast<double>(k)));
        while (static_cast<u128>(s) * s > k) --s;
        while (static_cast<u128>(s + 1) * (s + 1) <= k) ++s;
        c.band = static_cast<int64_t>(s);
    }
    return c;
}

namespace {

// ---- capsules below 2^28: exact 64-bit rows ----

// Doubled X with lo <= X * v <= hi, as [*a, *b]; v != 0. Values below 2^62.
void solve_linear(int64_t lo, int64_t hi, int64_t v, int64_t *a, int64_t *b) {
    if (v < 0) {
        const int64_t t = -lo;
        lo = -hi;
        hi = t;
        v = -v;
    }
    *a = ceil_div(lo, v);
    *b = floor_div(hi, v);
}

// Exact doubled X range of a small capsule on doubled row Y, all in 64 bits:
// coordinates below 2^28 keep every product below 2^61.
bool small_capsule_row(const Capsule &c, int64_t Y, int64_t *lo, int64_t *hi) {
    *lo = INT64_MAX;
    *hi = INT64_MIN;
    for (const int64_t *e : {&c.ax, &c.bx}) {
        const int64_t cx = *e, cy = e == &c.ax ? c.ay : c.by;
        const int64_t d = Y - cy;
        if (d < -c.r || d > c.r) continue;
        const int64_t h = static_cast<int64_t>(isqrt(static_cast<uint64_t>(c.r * c.r - d * d)));
        *lo = std::min(*lo, cx - h);
        *hi = std::max(*hi, cx + h);
    }
    if (c.l2 > 0) {
        const int64_t vx = c.bx - c.ax, vy = c.by - c.ay, py = Y - c.ay;
        int64_t a = INT64_MIN, b = INT64_MAX, u, v;
        // Within the segment's length: 0 <= (X - ax) vx + py vy <= l2.
        const int64_t along = c.ax * vx - py * vy;
        if (vx != 0) {
            solve_linear(along, along + c.l2, vx, &u, &v);
            a = std::max(a, u);
            b = std::min(b, v);
        } else if (along > 0 || along + c.l2 < 0) {
            a = 1, b = 0;
        }
        // Within r of the line: |(X - ax) vy - py vx| <= band.
        const int64_t across = c.ax * vy + py * vx;
        if (vy != 0) {
            solve_linear(across - c.band, across + c.band, vy, &u, &v);
            a = std::max(a, u);
            b = std::min(b, v);
        } else if (across < -c.band || across > c.band) {
            a = 1, b = 0;
        }
        if (a <= b) {
            *lo = std::min(*lo, a);
            *hi = std::max(*hi, b);
        }
    }
    return *lo <= *hi;
}

}  // namespace

// ---- the exact point test: the corrections below, and the tests ----

bool capsule_contains(const Capsule &c, int64_t X, int64_t Y) {
    const i128 vx = c.bx - c.ax, vy = c.by - c.ay;
    const i128 px = X - c.ax, py = Y - c.ay;
    const i128 r2 = i128{c.r} * c.r;
    const i128 dot = px * vx + py * vy;
    if (dot <= 0) return px * px + py * py <= r2;
    const i128 l2 = vx * vx + vy * vy;
    if (dot >= l2) {
        const i128 qx = X - c.bx, qy = Y - c.by;
        return qx * qx + qy * qy <= r2;
    }
    const i128 cross = px * vy - py * vx;
    i128 lhs, rhs;
    const bool lhs_ok = mul128(cross, cross, &lhs);
    const bool rhs_ok = mul128(r2, l2, &rhs);
    if (lhs_ok && rhs_ok) return lhs <= rhs;
    if (lhs_ok != rhs_ok) return lhs_ok;
    // Both beyond 128 bits: only for segments billions of pixels long.
    const long double d = std::fabs(static_cast<long double>(cross));
    return d <= static_cast<long double>(c.r) * std::sqrt(static_cast<long double>(l2));
}

namespace {

// ---- capsules beyond 2^28: long double guesses checked exactly ----

using Real = long double;

// Disc of radius r around (cx, cy) on doubled row Y, as a doubled X interval.
bool disc_row(int64_t cx, int64_t cy, int64_t r, int64_t Y, Real *lo, Real *hi) {
    const int64_t d = Y - cy;
    if (d < -r || d > r) return false;
    const uint64_t ad = static_cast<uint64_t>(d < 0 ? -d : d);
    const uint64_t h = isqrt(static_cast<uint64_t>(r) * static_cast<uint64_t>(r) - ad * ad);
    *lo = static_cast<Real>(cx - static_cast<int64_t>(h));
    *hi = static_cast<Real>(cx + static_cast<int64_t>(h));
    return true;
}

// The middle part of the capsule (the swept segment) on doubled row Y.
bool band_row(const Capsule &c, int64_t Y, Real *lo, Real *hi) {
    const Real vx = static_cast<Real>(c.bx - c.ax);
    const Real vy = static_cast<Real>(c.by - c.ay);
    const Real py = static_cast<Real>(Y - c.ay);
    const Real l2 = vx * vx + vy * vy;
    if (l2 == 0) return false;
    Real a = -INFINITY, b = INFINITY;  // bounds on X - ax
    // Projection within the segment: 0 <= (X - ax) vx + py vy <= l2.
    if (vx != 0) {
        const Real u = -py * vy / vx, v = (l2 - py * vy) / vx;
        a = std::max(a, std::min(u, v));
        b = std::min(b, std::max(u, v));
    } else if (py * vy < 0 || py * vy > l2) {
        return false;
    }
    // Distance to the line: |(X - ax) vy - py vx| <= r |v|.
    const Real rl = static_cast<Real>(c.r) * std::sqrt(l2);
    if (vy != 0) {
        const Real u = (py * vx - rl) / vy, v = (py * vx + rl) / vy;
        a = std::max(a, std::min(u, v));
        b = std::min(b, std::max(u, v));
    } else if (std::fabs(py * vx) > rl) {
        return false;
    }
    if (!(a <= b)) return false;
    *lo = static_cast<Real>(c.ax) + a;
    *hi = static_cast<Real>(c.ax) + b;
    return true;
}

// First guess of the row's run of pixel columns, within [cl - 2, cr + 2].
bool capsule_guess(const Capsule &c, int64_t Y, int64_t cl, int64_t cr, int64_t *xl, int64_t *xr) {
    Real lo = INFINITY, hi = -INFINITY, l, h;
    if (disc_row(c.ax, c.ay, c.r, Y, &l, &h)) lo = std::min(lo, l), hi = std::max(hi, h);
    if (disc_row(c.bx, c.by, c.r, Y, &l, &h)) lo = std::min(lo, l), hi = std::max(hi, h);
    if (band_row(c, Y, &l, &h)) lo = std::min(lo, l), hi = std::max(hi, h);
    if (!(lo <= hi)) return false;
    // Pixel x has its centre at 2x + 1.
    *xl = clamp_guess((lo - 1) / 2, cl - 2, cr + 2);
    *xr = clamp_guess((hi - 1) / 2, cl - 2, cr + 2);
    return true;
}

}  // namespace

bool capsule_row(const Capsule &c, int64_t y, int64_t cl, int64_t cr, Span *out) {
    if (y < c.top || y > c.bottom || cl >= cr) return false;
    const int64_t Y = 2 * y + 1;
    if (c.small) {
        int64_t lo, hi;
        if (!small_capsule_row(c, Y, &lo, &hi)) return false;
        // Pixel x has its centre at 2x + 1.
        out->l = std::max(ceil_div(lo - 1, 2), cl);
        out->r = std::min(floor_div(hi - 1, 2) + 1, cr);
        return !out->empty();
    }
    // Coordinates near the int32 limits: a long double guess, then exact tests.
    int64_t xl, xr;
    if (!capsule_guess(c, Y, cl, cr, &xl, &xr)) return false;
    // The row's pixels form one run, so exact tests at its visible ends
    // correct the guess; ends beyond the clip need no test.
    //
    // Why kMaxFix steps suffice: each guessed end is within 7 columns of the
    // true one. In doubled units |v| < 2^33.5, r < 2^31 and a visible |X|,
    // |Y| < 2^29; long double rounds with u = 2^-64. The disc rows are exact.
    // The band's row is cut by its two side lines and its two end lines:
    //  - a side crossing, (py vx +- r|v|) / vy, is off by < 4u r|v| / |vy|
    //    (near view |py vx| exceeds r|v| by at most 2^33 |vy|, so their
    //    cancellation costs no more), under 4 units as r|v| / |vy| < 2^64;
    //    that is 2u of the band's width on the row, so a band crossed from
    //    side to side never vanishes;
    //  - the end crossing -py vy / vx does not cancel; (l2 - py vy) / vx is
    //    off by < 3u l2 / |vx|, under 4 units whenever it lies near view,
    //    because then that end is near the visible rows and vy^2 / |vx| <
    //    2^64.4.
    // An end crossing inside the band lies in its end's disc, whose exact row
    // covers it. Where a side and an end bound nearly meet (at a corner of the
    // band, a point of the disc's circle), the errors may add or drop a piece
    // of band shorter than 8 units, and the true row's end (the disc's chord)
    // then lies within 8 units of the side crossing. So the guessed ends are
    // within 12 doubled units, 6 columns, of the true ones; truncating the
    // guess and rounding the true end to a column add less than 2 more.
    // (Random segments up to the int32 limits need one step at most.)
    auto in = [&](int64_t x) { return capsule_contains(c, 2 * x + 1, Y); };
    constexpr int kMaxFix = 8;
    xl = std::clamp(xl, cl, cr);
    xr = std::clamp(xr, cl - 1, cr - 1);
    for (int k = 0; k < kMaxFix && xl > cl && in(xl - 1); ++k) --xl;
    for (int k = 0; k < kMaxFix && xl <= xr && !in(xl); ++k) ++xl;
    for (int k = 0; k < kMaxFix && xr < cr - 1 && in(xr + 1); ++k) ++xr;
    for (int k = 0; k < kMaxFix && xr >= xl && !in(xr); ++k) --xr;
    out->l = xl;
    out->r = xr + 1;
    return !out->empty();
}

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    Dc *dc = gdi_dc(hdc);
    if (!dc) return FALSE;
    if (lppt) *lppt = dc->pos;
    dc->pos.x = x;
    dc->pos.y = y;
    return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    Dc *dc;
    Target t;
    if (!begin_draw(hdc, &dc, &t)) return FALSE;
    const int64_t x0 = dc->pos.x, y0 = dc->pos.y;
    dc->pos.x = x;
    dc->pos.y = y;
    const Stroke pen = dc_stroke(dc, t);
    if (!pen.on || t.empty()) return TRUE;
    if (pen.thin()) {
        thin_line(t, x0, y0, x, y, pen.px);
        target_touched(t, std::min<int64_t>(x0, x), std::min<int64_t>(y0, y), std::max<int64_t>(x0, x) + 1,
                       std::max<int64_t>(y0, y) + 1);
        return TRUE;
    }
    const Capsule c = make_capsule(x0, y0, x, y, pen.width);
    const int64_t top = std::max(c.top, t.ct), bottom = std::min(c.bottom + 1, t.cb);
    Span s;
    for (int64_t row = top; row < bottom; ++row)
        if (capsule_row(c, row, t.cl, t.cr, &s)) fill_span(t, row, s.l, s.r, pen.px);
    const int64_t half = pen.width / 2 + 1;
    target_touched(t, std::min<int64_t>(x0, x) - half, top, std::max<int64_t>(x0, x) + half + 1, bottom);
    return TRUE;
}

}  // extern "C"
