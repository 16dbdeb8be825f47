// The game's ready-state frame drawn with Cairo into a 601 x 540 image
// surface: the same shapes, colours and texts as frame_bench's GDI frame,
// aliased shapes and grey-antialiased text, so the stand-in's frame time can
// be quoted as a ratio of a mature 2D library's. Relies on Cairo and Google
// Benchmark; registered into frame_bench.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstring>

namespace {

constexpr int kW = 601, kH = 540;
constexpr int kOriginX = 300, kOriginY = 260;

double dx(int x) { return kOriginX + x; }
double dy(int y) { return kOriginY - y; }

void colour(cairo_t *cr, unsigned rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

// Window corners (x1, y1) and (x2, y2), both inside the shape, as the GDI frame draws them.
void filled(cairo_t *cr, unsigned rgb, bool oval, int x1, int y1, int x2, int y2) {
    colour(cr, rgb);
    const double l = dx(x1), t = dy(y1), w = dx(x2) + 1 - l, h = dy(y2) + 1 - t;
    if (oval) {
        cairo_save(cr);
        cairo_translate(cr, l + w / 2, t + h / 2);
        cairo_scale(cr, w / 2, h / 2);
        cairo_arc(cr, 0, 0, 1, 0, 6.283185307179586);
        cairo_restore(cr);
    } else {
        cairo_rectangle(cr, l, t, w, h);
    }
    cairo_fill(cr);
}

void text(cairo_t *cr, int x, int y, int size, const char *s) {
    colour(cr, 0xFFFFFF);
    cairo_select_font_face(cr, "sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr, s, &te);  // the GDI frame measures its text too
    cairo_move_to(cr, dx(x), dy(y) - fe.height + fe.ascent);
    cairo_show_text(cr, s);
}

void cairo_ready_frame(cairo_t *cr) {
    colour(cr, 0xFFFFFF);
    cairo_paint(cr);
    colour(cr, 0x000000);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, kW - 1, kH - 1);
    cairo_stroke(cr);

    filled(cr, 0x0000FF, false, -300, 250, 300, -250);
    filled(cr, 0x000000, false, -295, 245, 295, -245);
    filled(cr, 0x0000FF, false, -300, 250, 300, 225);
    text(cr, -290, 230, 12, "Level 1");
    text(cr, 0, 230, 12, "Lives: 3");
    text(cr, 150, 230, 12, "Score: 0");
    filled(cr, 0xFFFF00, false, 0, 20, 20, 0);
    filled(cr, 0xFF0000, true, -2, 12, 2, 8);
    filled(cr, 0xFF00FF, true, -230, -20, -210, -40);
    filled(cr, 0xFFFFFF, true, 100, 55, 105, 50);
    text(cr, -200, 30, 24, "Press any key to start.");
}

void BM_CairoReadyFrame(benchmark::State &state) {
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
    cairo_t *cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // GDI shapes are aliased; text keeps its own antialiasing
    for (auto _ : state) {
        cairo_ready_frame(cr);
        cairo_surface_flush(surface);
        benchmark::ClobberMemory();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_CairoReadyFrame);

}  // namespace
