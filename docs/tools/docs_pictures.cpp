// Draws the documentation's reference pictures with the library itself, so
// they cannot drift from it: the colour chart (every palette entry with its
// index, name and constant) and the coordinate picture (axes, origin, a few
// labelled points and the corners of the visible area). Runs headless.
#include <automation.h>

#include <cstdio>
#include <string>

#include "lib_state.h"
#include "palette.h"
#include "picture_out.h"
#include "start_up.h"
#include "telka.h"

#undef main  // this tool is an ordinary program, not a TELKA application

namespace {

struct NamedColour {
    int32_t value;
    const char *constant;
};

#define NAMED(c) {c, #c}
const NamedColour kConstants[kPaletteSize] = {
    NAMED(TELKA_BLACK),        NAMED(TELKA_WHITE),     NAMED(TELKA_RED),         NAMED(TELKA_GREEN),
    NAMED(TELKA_BLUE),         NAMED(TELKA_YELLOW),    NAMED(TELKA_MAGENTA),     NAMED(TELKA_CYAN),
    NAMED(TELKA_PURPLE),       NAMED(TELKA_NAVY_BLUE), NAMED(TELKA_DUSTY_PLUM),  NAMED(TELKA_ICE_BLUE),
    NAMED(TELKA_TURQUOISE),    NAMED(TELKA_ORANGE),    NAMED(TELKA_BROWN),       NAMED(TELKA_PINK),
    NAMED(TELKA_CHALK),        NAMED(TELKA_GOLD),      NAMED(TELKA_PEACH),       NAMED(TELKA_FOREST_GREEN),
    NAMED(TELKA_SEA_GREEN),    NAMED(TELKA_OLIVE),     NAMED(TELKA_GRAY_50),     NAMED(TELKA_GRAY_20),
};
#undef NAMED

// The visible part of the back buffer in library coordinates.
struct Visible {
    int32_t left, top, right, bottom;
};

Visible visible_area() {
    standin::PixelView v;
    standin::window_client_pixels(lib.graphicsWnd, &v);
    return Visible{-lib.originX, lib.originY, v.width - 1 - lib.originX, lib.originY - (v.height - 1)};
}

bool emit_client(const std::string &name) {
    TELKA_flush();
    standin::PixelView v;
    if (!standin::window_client_pixels(lib.graphicsWnd, &v)) v = standin::PixelView{};
    return docpics::emit_png(name, v.pixels, v.width, v.height, v.stride);
}

int32_t text_width(int32_t size, const char *text) {
    int32_t h = 0, w = 0;
    TELKA_text_size(size, &h, &w, text);
    return w;
}

int32_t text_height(int32_t size) {
    int32_t h = 0, w = 0;
    TELKA_text_size(size, &h, &w, "Ag");
    return h;
}

bool colour_chart() {
    for (int i = 0; i < kPaletteSize; ++i) {
        if (kConstants[i].value != i) {
            std::fprintf(stderr, "%s is %d, expected %d\n", kConstants[i].constant, kConstants[i].value, i);
            return false;
        }
    }
    const Visible area = visible_area();
    TELKA_clear();
    TELKA_text(TELKA_BLACK, area.left + 12, area.top - 34, 18, "The 24 colours: index, name, constant");

    const int rows = 8;
    const int32_t cell_w = 200, cell_h = 58, swatch = 40;
    const int32_t top = area.top - 52;
    for (int i = 0; i < kPaletteSize; ++i) {
        const int32_t x = area.left + 12 + (i / rows) * cell_w;
        const int32_t y = top - (i % rows) * cell_h;
        TELKA_rectangle(i, x, y, x + swatch, y - swatch, 0);
        TELKA_rectangle(TELKA_BLACK, x, y, x + swatch, y - swatch, 1);  // so white shows too
        TELKA_textf(TELKA_BLACK, x + swatch + 8, y - 18, 15, "%d  %s", i, colorNames[i]);
        TELKA_text(TELKA_GRAY_50, x + swatch + 8, y - 36, 11, kConstants[i].constant);
    }
    return emit_client("colours");
}

void label_point(int32_t colour, int32_t x, int32_t y, const char *text, bool right, bool below, int32_t radius = 5) {
    const int32_t size = 13;
    TELKA_circle(colour, x, y, radius);
    const int32_t lx = right ? x - radius - 4 - text_width(size, text) : x + radius + 4;
    const int32_t ly = below ? y - radius - 2 - text_height(size) : y + radius + 2;
    TELKA_text(colour, lx, ly, size, text);
}

bool coordinates() {
    const Visible a = visible_area();
    TELKA_clear();
    for (int32_t x = 50; x <= a.right; x += 50) {
        TELKA_line(TELKA_GRAY_20, x, a.top, x, a.bottom, 1);
        TELKA_line(TELKA_GRAY_20, -x, a.top, -x, a.bottom, 1);
    }
    for (int32_t y = 50; y <= a.top || -y >= a.bottom; y += 50) {
        TELKA_line(TELKA_GRAY_20, a.left, y, a.right, y, 1);
        TELKA_line(TELKA_GRAY_20, a.left, -y, a.right, -y, 1);
    }

    // The axes, with arrow heads at their positive ends.
    TELKA_line(TELKA_BLACK, a.left, 0, a.right, 0, 1);
    TELKA_line(TELKA_BLACK, 0, a.bottom, 0, a.top, 1);
    TELKA_triangle(TELKA_BLACK, a.right, 0, a.right - 12, 5, a.right - 12, -5, 0);
    TELKA_triangle(TELKA_BLACK, 0, a.top, -5, a.top - 12, 5, a.top - 12, 0);
    TELKA_text(TELKA_BLACK, a.right - 30, 8, 16, "x");
    TELKA_text(TELKA_BLACK, 10, a.top - 30, 16, "y");

    const int32_t tick = 10;
    for (int32_t v = -300; v <= 300; v += 100) {
        if (v == 0) continue;
        char s[16];
        std::snprintf(s, sizeof s, "%d", v);
        if (v > a.left && v < a.right) {
            TELKA_line(TELKA_BLACK, v, -4, v, 5, 1);
            TELKA_text(TELKA_GRAY_50, v - text_width(tick, s) / 2, -6 - text_height(tick), tick, s);
        }
        if (v < a.top && v > a.bottom) {
            TELKA_line(TELKA_BLACK, -4, v, 5, v, 1);
            TELKA_text(TELKA_GRAY_50, 8, v - text_height(tick) / 2, tick, s);
        }
    }

    label_point(TELKA_RED, 0, 0, "(0, 0) the origin", true, false);
    label_point(TELKA_BLUE, 100, 50, "(100, 50)", false, false);
    label_point(TELKA_FOREST_GREEN, -200, -150, "(-200, -150)", false, true);

    // The corner pixels of the visible area: a quarter of each dot shows.
    char s[48];
    std::snprintf(s, sizeof s, "(%d, %d)", a.left, a.top);
    label_point(TELKA_PURPLE, a.left, a.top, s, false, true, 9);
    std::snprintf(s, sizeof s, "(%d, %d)", a.right, a.top);
    label_point(TELKA_PURPLE, a.right, a.top, s, true, true, 9);
    std::snprintf(s, sizeof s, "(%d, %d)", a.left, a.bottom);
    label_point(TELKA_PURPLE, a.left, a.bottom, s, false, false, 9);
    std::snprintf(s, sizeof s, "(%d, %d)", a.right, a.bottom);
    label_point(TELKA_PURPLE, a.right, a.bottom, s, true, false, 9);
    return emit_client("coordinates");
}

HINSTANCE__ g_module{};

}  // namespace

int main(int argc, char **argv) {
    int next = 0;
    if (!docpics::parse_output_args(argc, argv, &next)) return 2;
    if (!standin::use_headless_backend()) {
        std::fprintf(stderr, "%s: the headless backend is not available\n", argv[0]);
        return 2;
    }
    standin::start_up();       // as the process entry does
    lib.instance = &g_module;  // and as it would hand over
    lib.cmdShow = SW_SHOWNORMAL;
    TELKA_open();
    TELKA_logging(0);
    colour_chart();
    coordinates();
    TELKA_close();
    return docpics::failures();
}
