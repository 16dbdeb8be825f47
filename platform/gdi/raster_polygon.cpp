// Polygon: closed automatically, filled by scanline with the even-odd rule
// (GDI's default ALTERNATE mode), then outlined with the pen. Only
// visible rows are scanned; each edge's crossing advances by an exact
// integer step. Relies on raster.h, raster_math.h and target.h. Its tables
// report a failed allocation instead of throwing (the browser build has no
// exceptions), so an absurd point count returns FALSE on every platform.
//
// Fill rule: a pixel is filled when its centre - the integer point (x, y) -
// lies inside; a centre exactly on an edge belongs to the span on its right
// and an edge covers rows [top, bottom), so shared edges are filled once and
// the right and bottom sides stay open, as for a pen-less Rectangle.
#include "gdi/raster.h"
#include "gdi/raster_math.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

namespace standin {

namespace {

// A growable array of plain values whose growth reports failure: reserve and
// push_back return false when memory runs out, where a vector would throw.
template <typename T>
class Table {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    Table() = default;
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;
    ~Table() { std::free(data_); }

    [[nodiscard]] bool reserve(size_t n) {
        if (n <= cap_) return true;
        if (n > SIZE_MAX / sizeof(T)) return false;
        T *grown = static_cast<T *>(std::realloc(data_, n * sizeof(T)));
        if (!grown) return false;
        data_ = grown;
        cap_ = n;
        return true;
    }
    [[nodiscard]] bool push_back(const T &v) {
        if (size_ == cap_ && !reserve(cap_ < 8 ? 8 : cap_ > SIZE_MAX / 2 ? SIZE_MAX : cap_ * 2)) return false;
        data_[size_++] = v;
        return true;
    }
    // Keeps the elements for which `drop` is false, in order.
    template <typename Pred>
    void erase_if(Pred drop) {
        size_ = static_cast<size_t>(std::remove_if(begin(), end(), drop) - begin());
    }
    void clear() { size_ = 0; }
    bool empty() const { return size_ == 0; }
    size_t size() const { return size_; }
    T *data() { return data_; }
    T *begin() { return data_; }
    T *end() { return data_ + size_; }
    T &operator[](size_t i) { return data_[i]; }
    T &front() { return data_[0]; }

  private:
    T *data_ = nullptr;
    size_t size_ = 0;
    size_t cap_ = 0;
};

struct Edge {
    int64_t top = 0, bottom = 0;  // rows [top, bottom)
    int64_t xa = 0, ya = 0;       // upper end
    int64_t dx = 0, dy = 0;       // dy > 0
    // Crossing on the current row: xa + ceil((y - ya) dx / dy) = xa + q + (rem > 0).
    int64_t q = 0, rem = 0;       // (y - ya) dx = q dy + rem, 0 <= rem < dy
    int64_t step_q = 0, step_rem = 0;  // dx = step_q dy + step_rem

    void start(int64_t y) {
        const i128 num = i128{y - ya} * dx;
        q = static_cast<int64_t>(floor_div128(num, dy));
        rem = static_cast<int64_t>(num - i128{q} * dy);
        step_q = floor_div(dx, dy);
        step_rem = dx - step_q * dy;
    }
    int64_t x() const { return xa + q + (rem > 0 ? 1 : 0); }
    void step() {
        q += step_q;
        rem += step_rem;
        if (rem >= dy) {
            rem -= dy;
            ++q;
        }
    }
};

// False when its tables could not be allocated (rows above may be filled).
bool fill_polygon(const Target &t, const POINT *pts, int n, uint32_t px) {
    Table<Edge> edges;
    if (!edges.reserve(static_cast<size_t>(n))) return false;
    for (int i = 0; i < n; ++i) {
        const POINT &p = pts[i], &q = pts[(i + 1) % n];
        if (p.y == q.y) continue;  // horizontal edges cross no row centre
        Edge e;
        const bool down = q.y > p.y;
        const POINT &upper = down ? p : q, &lower = down ? q : p;
        e.top = upper.y;
        e.bottom = lower.y;
        e.xa = upper.x;
        e.ya = upper.y;
        e.dx = int64_t{lower.x} - upper.x;
        e.dy = int64_t{lower.y} - upper.y;
        if (!edges.push_back(e)) return false;
    }
    if (edges.empty()) return true;
    std::sort(edges.begin(), edges.end(), [](const Edge &a, const Edge &b) { return a.top < b.top; });
    int64_t lowest = edges.front().bottom;
    for (const Edge &e : edges) lowest = std::max(lowest, e.bottom);
    const int64_t y0 = std::max(edges.front().top, t.ct), y1 = std::min(lowest, t.cb);

    Table<Edge *> active;
    Table<int64_t> xs;  // the active edges' crossings of row y
    size_t next = 0;
    int64_t first_end = INT64_MAX;  // the earliest bottom among active edges
    for (int64_t y = y0; y < y1; ++y) {
        if (first_end <= y) {
            active.erase_if([y](const Edge *e) { return e->bottom <= y; });
            first_end = INT64_MAX;
            for (const Edge *e : active) first_end = std::min(first_end, e->bottom);
        }
        for (; next < edges.size() && edges[next].top <= y; ++next) {
            if (edges[next].bottom <= y) continue;
            edges[next].start(y);
            if (!active.push_back(&edges[next])) return false;
            first_end = std::min(first_end, edges[next].bottom);
        }
        // Crossings stay nearly sorted from row to row: insertion sort.
        xs.clear();
        for (const Edge *e : active) {
            const int64_t x = e->x();
            size_t i = xs.size();
            if (!xs.push_back(x)) return false;
            for (; i > 0 && xs[i - 1] > x; --i) xs[i] = xs[i - 1];
            xs[i] = x;
        }
        for (size_t i = 0; i + 1 < xs.size(); i += 2) fill_span(t, y, xs[i], xs[i + 1], px);
        for (Edge *e : active) e->step();
    }
    return true;
}

// False when its tables could not be allocated (rows above may be drawn).
bool wide_outline(const Target &t, const POINT *pts, int n, const Stroke &pen) {
    Table<Capsule> caps;
    if (!caps.reserve(static_cast<size_t>(n))) return false;
    for (int i = 0; i < n; ++i) {
        const POINT &p = pts[i], &q = pts[(i + 1) % n];
        if (!caps.push_back(make_capsule(p.x, p.y, q.x, q.y, pen.width))) return false;
    }
    std::sort(caps.begin(), caps.end(), [](const Capsule &a, const Capsule &b) { return a.top < b.top; });
    int64_t lowest = caps.front().bottom;
    for (const Capsule &c : caps) lowest = std::max(lowest, c.bottom);
    const int64_t y0 = std::max(caps.front().top, t.ct), y1 = std::min(lowest + 1, t.cb);

    Table<const Capsule *> active;
    Table<Span> spans;
    size_t next = 0;
    for (int64_t y = y0; y < y1; ++y) {
        for (; next < caps.size() && caps[next].top <= y; ++next)
            if (!active.push_back(&caps[next])) return false;
        active.erase_if([y](const Capsule *c) { return c->bottom < y; });
        spans.clear();
        Span s;
        for (const Capsule *c : active)
            if (capsule_row(*c, y, t.cl, t.cr, &s) && !spans.push_back(s)) return false;
        const size_t m = merge_spans(spans.data(), spans.size());
        for (size_t i = 0; i < m; ++i) fill_span(t, y, spans[i].l, spans[i].r, pen.px);
    }
    return true;
}

}  // namespace

}  // namespace standin

using namespace standin;

extern "C" {

BOOL WINAPI Polygon(HDC hdc, const POINT *apt, int cpt) {
    Dc *dc;
    Target t;
    if (!begin_draw(hdc, &dc, &t) || !apt || cpt < 2) return FALSE;
    if (t.empty()) return TRUE;
    const Stroke pen = dc_stroke(dc, t);
    const Fill fill = brush_fill(dc->brush, t);
    int64_t l = apt[0].x, r = apt[0].x, top = apt[0].y, b = apt[0].y;
    for (int i = 1; i < cpt; ++i) {
        l = std::min<int64_t>(l, apt[i].x);
        r = std::max<int64_t>(r, apt[i].x);
        top = std::min<int64_t>(top, apt[i].y);
        b = std::max<int64_t>(b, apt[i].y);
    }
    // Edge tables for an absurd point count may not fit: FALSE, as GDI fails.
    if (fill.on && !fill_polygon(t, apt, cpt, fill.px)) return FALSE;
    if (pen.on && pen.thin()) {
        for (int i = 0; i < cpt; ++i) {
            const POINT &p = apt[i], &q = apt[(i + 1) % cpt];
            thin_line(t, p.x, p.y, q.x, q.y, pen.px);
        }
    } else if (pen.on && !wide_outline(t, apt, cpt, pen)) {
        return FALSE;
    }
    const int64_t grow = pen.on ? pen.width / 2 + 1 : 0;
    target_touched(t, l - grow, top - grow, r + grow + 1, b + grow + 1);
    return TRUE;
}

}  // extern "C"
