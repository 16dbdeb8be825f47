// The shape operations: pixel, line, rectangle, oval, triangle and circle, in
// their Point forms and their integer forms. Each checks its arguments in its
// own order, logs itself (log_drawing_call), and renders one record.
#include "draw_args.h"
#include "lib_state.h"
#include "palette.h"
#include "render.h"
#include "telka.h"
#include "text_window.h"

int TELKA_pixel_pt(int32_t color, Point p) {
    color = validate_color(color);
    log_drawing_call("%s pixel at (%d,%d)\n", colorNames[color], p.x, p.y);
    DrawRecord rec = {};
    rec.kind = DRAW_PIXEL;
    rec.color = color;
    rec.x1 = p.x;
    rec.y1 = p.y;
    render_record(&rec);
    return 1;
}

int TELKA_circle_pt(int32_t color, Point centre, int32_t radius) {
    color = validate_color(color);
    radius = validate_radius(radius);
    log_drawing_call("%s circle at (%d,%d), radius %d\n", colorNames[color], centre.x, centre.y, radius);
    DrawRecord rec = {};
    rec.kind = DRAW_OVAL;
    rec.color = color;
    rec.width = 0;
    rec.x1 = offset_saturated(centre.x, -int64_t{radius});
    rec.y1 = offset_saturated(centre.y, radius);
    rec.x2 = offset_saturated(centre.x, radius);
    rec.y2 = offset_saturated(centre.y, -int64_t{radius});
    render_record(&rec);
    return 1;
}

int TELKA_triangle_pt(int32_t color, Point p1, Point p2, Point p3, int32_t width) {
    color = validate_color(color);
    width = validate_width(width);
    log_drawing_call("%s triangle at (%d,%d), (%d,%d), (%d,%d)\n", colorNames[color], p1.x, p1.y, p2.x, p2.y, p3.x,
                     p3.y);
    DrawRecord rec = {};
    rec.kind = DRAW_TRIANGLE;
    rec.color = color;
    rec.width = width;
    rec.x1 = p1.x;
    rec.y1 = p1.y;
    rec.x2 = p2.x;
    rec.y2 = p2.y;
    rec.x3 = p3.x;
    rec.y3 = p3.y;
    render_record(&rec);
    return 1;
}

static void render_box(int32_t kind, int32_t color, Point p1, Point p2, int32_t width) {
    DrawRecord rec = {};
    rec.kind = kind;
    rec.color = color;
    rec.width = width;
    rec.x1 = p1.x;
    rec.y1 = p1.y;
    rec.x2 = p2.x;
    rec.y2 = p2.y;
    render_record(&rec);
}

int TELKA_rectangle_pt(int32_t color, Point p1, Point p2, int32_t width) {
    order_corners(&p1, &p2);
    color = validate_color(color);
    width = validate_width(width);
    if (width == 0)
        log_drawing_call("%s rectangle with bounding box (%d,%d) to (%d,%d), filled\n", colorNames[color], p1.x, p1.y,
                         p2.x, p2.y);
    else
        log_drawing_call("%s rectangle with bounding box (%d,%d) to (%d,%d) with line width %d\n", colorNames[color],
                         p1.x, p1.y, p2.x, p2.y, width);
    render_box(DRAW_RECTANGLE, color, p1, p2, width);
    return 1;
}

int TELKA_oval_pt(int32_t color, Point p1, Point p2, int32_t width) {
    order_corners(&p1, &p2);
    width = validate_width(width);
    color = validate_color(color);
    if (width == 0)
        log_drawing_call("%s oval with bounding box (%d,%d) to (%d,%d), filled\n", colorNames[color], p1.x, p1.y, p2.x,
                         p2.y);
    else
        log_drawing_call("%s oval with bounding box (%d,%d) to (%d,%d), line width %d\n", colorNames[color], p1.x, p1.y,
                         p2.x, p2.y, width);
    render_box(DRAW_OVAL, color, p1, p2, width);
    return 1;
}

int TELKA_line_pt(int32_t color, Point p1, Point p2, int32_t width) {
    width = validate_width(width);
    color = validate_color(color);
    log_drawing_call("%s line from (%d,%d) to (%d,%d), width %d\n", colorNames[color], p1.x, p1.y, p2.x, p2.y, width);
    render_box(DRAW_LINE, color, p1, p2, width == 0 ? 1 : width);
    return 1;
}

int TELKA_pixel(int32_t color, int32_t x, int32_t y) { return TELKA_pixel_pt(color, Point{x, y}); }

int TELKA_line(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width) {
    return TELKA_line_pt(color, Point{x1, y1}, Point{x2, y2}, width);
}

int TELKA_rectangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width) {
    return TELKA_rectangle_pt(color, Point{x1, y1}, Point{x2, y2}, width);
}

int TELKA_oval(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width) {
    return TELKA_oval_pt(color, Point{x1, y1}, Point{x2, y2}, width);
}

int TELKA_triangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                   int32_t width) {
    return TELKA_triangle_pt(color, Point{x1, y1}, Point{x2, y2}, Point{x3, y3}, width);
}

int TELKA_circle(int32_t color, int32_t x, int32_t y, int32_t radius) {
    return TELKA_circle_pt(color, Point{x, y}, radius);
}
