// Draws the comparison scene through the library's public drawing calls and
// writes the back buffer to gdi_scene.ppm in the current directory. Built for
// Linux (stand-in) and Windows (real GDI, run under Wine); the two files are
// compared by gdi_compare. Test-only: it reads the library's state record for
// the back buffer's device context and the window origin.
#include <cstdio>
#include <vector>

#include "gdi_scene_layout.h"
#include "lib_state.h"
#include "telka.h"

namespace {

// The origin differs between the platforms (their client areas differ), so
// shapes are placed by device pixel: both buffers then hold the same scene.
int32_t wx(int32_t device_x) { return device_x - lib.originX; }
int32_t wy(int32_t device_y) { return lib.originY - device_y; }

void draw(const gdi_scene::Shape &s) {
    using gdi_scene::Kind;
    switch (s.kind) {
        case Kind::Pixels:
            for (int32_t j = 0; j < s.y2; ++j)
                for (int32_t i = 0; i < s.x2; ++i) TELKA_pixel(s.color, wx(s.x1 + i * s.x3), wy(s.y1 + j * s.x3));
            break;
        case Kind::Line: TELKA_line(s.color, wx(s.x1), wy(s.y1), wx(s.x2), wy(s.y2), s.width); break;
        case Kind::Rectangle: TELKA_rectangle(s.color, wx(s.x1), wy(s.y1), wx(s.x2), wy(s.y2), s.width); break;
        case Kind::Oval: TELKA_oval(s.color, wx(s.x1), wy(s.y1), wx(s.x2), wy(s.y2), s.width); break;
        case Kind::Triangle:
            TELKA_triangle(s.color, wx(s.x1), wy(s.y1), wx(s.x2), wy(s.y2), wx(s.x3), wy(s.y3), s.width);
            break;
        case Kind::Circle: TELKA_circle(s.color, wx(s.x1), wy(s.y1), s.x2); break;
    }
}

bool write_back_buffer(const char *path) {
    FILE *f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", gdi_scene::kWidth, gdi_scene::kHeight);
    std::vector<unsigned char> row(3 * gdi_scene::kWidth);
    for (int y = 0; y < gdi_scene::kHeight; ++y) {
        for (int x = 0; x < gdi_scene::kWidth; ++x) {
            const COLORREF c = GetPixel(lib.memDC, x, y);
            row[3 * x] = GetRValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetBValue(c);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

}  // namespace

int main(void) {
    TELKA_open();
    TELKA_logging(0);
    TELKA_clear();
    for (const gdi_scene::Shape &s : gdi_scene::build_scene()) draw(s);
    const bool written = write_back_buffer("gdi_scene.ppm");
    if (!written) TELKA_printf("gdi_scene: cannot write gdi_scene.ppm\n");
    TELKA_close();
    return written ? 0 : 1;
}
