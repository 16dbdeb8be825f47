// The argument rules shared by the drawing operations.
#include "draw_args.h"

#include "palette.h"

#include <utility>

int32_t validate_color(int32_t color) {
    if (color >= 0 && color < kPaletteSize) return color;
    TELKA_printf("Illegal color %d; using RED.\n", color);
    return TELKA_RED;
}

static int32_t magnitude(int32_t v) { return v == INT32_MIN ? INT32_MAX : -v; }

int32_t validate_width(int32_t width) {
    if (width >= 0) return width;
    const int32_t used = magnitude(width);
    TELKA_printf("Width of %d not possible, using width %d\n", width, used);
    return used;
}

int32_t validate_radius(int32_t radius) {
    if (radius >= 0) return radius;
    const int32_t used = magnitude(radius);
    TELKA_printf("Radius of %d not possible, using radius %d\n", radius, used);
    return used;
}

int32_t validate_ptsize(int32_t ptsize) {
    if (ptsize < 0) {
        const int32_t used = magnitude(ptsize);
        TELKA_printf("ptsize of %d not possible, using ptsize %d\n", ptsize, used);
        ptsize = used;
    }
    if (ptsize > 127) {
        TELKA_printf("ptsize of %d not possible, using ptsize %d\n", ptsize, 127);
        ptsize = 127;
    }
    return ptsize;
}

void order_corners(Point *p1, Point *p2) {
    if (p1->x > p2->x) std::swap(p1->x, p2->x);
    if (p1->y < p2->y) std::swap(p1->y, p2->y);
}

int32_t offset_saturated(int32_t x, int64_t d) {
    const int64_t v = int64_t{x} + d;
    if (v < INT32_MIN) return INT32_MIN;
    if (v > INT32_MAX) return INT32_MAX;
    return static_cast<int32_t>(v);
}
