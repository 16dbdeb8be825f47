// Lays out the comparison scene: short lines in every direction and width in
// a band of small cells; pixels, rectangles, ovals, circles and triangles in a
// band of tiny and large cells; long lines below them; and shapes that cross
// each edge of the buffer in the margins around the bands.
#include "gdi_scene_layout.h"

#include <algorithm>
#include <cstdio>

namespace gdi_scene {

namespace {

// Hands out equal cells row by row.
struct Grid {
    int32_t x0, y0, cell_w, cell_h, cols;
    int32_t used = 0;
    Box take() {
        const int32_t c = used % cols, r = used / cols;
        ++used;
        const int32_t l = x0 + c * cell_w, t = y0 + r * cell_h;
        return Box{l, t, l + cell_w, t + cell_h};
    }
    int32_t bottom() const { return y0 + (used + cols - 1) / cols * cell_h; }
};

Match line_match(int32_t width) { return width <= 1 ? Match::Exact : Match::Tolerant; }

std::string width_group(const char *what, int32_t width) {
    char buf[64];
    if (width == 0)
        std::snprintf(buf, sizeof buf, "filled %s", what);
    else if (width == 1)
        std::snprintf(buf, sizeof buf, "%s outlines w1", what);
    else
        std::snprintf(buf, sizeof buf, "%s outlines w2-5", what);
    return buf;
}

// Device pixels a shape's geometry spans, both ends included, before its pen.
Box raw_extent(const Shape &s) {
    switch (s.kind) {
        case Kind::Circle: return Box{s.x1 - s.x2, s.y1 - s.x2, s.x1 + s.x2, s.y1 + s.x2};
        case Kind::Pixels: return Box{s.x1, s.y1, s.x1 + (s.x2 - 1) * s.x3, s.y1 + (s.y2 - 1) * s.x3};
        case Kind::Triangle:
            return Box{std::min({s.x1, s.x2, s.x3}), std::min({s.y1, s.y2, s.y3}), std::max({s.x1, s.x2, s.x3}),
                       std::max({s.y1, s.y2, s.y3})};
        default: return Box{std::min(s.x1, s.x2), std::min(s.y1, s.y2), std::max(s.x1, s.x2), std::max(s.y1, s.y2)};
    }
}

// The judged box of a shape outside the cells: its extent grown by its pen
// and a small margin, clipped to the buffer.
Box shape_extent(const Shape &s) {
    const Box e = raw_extent(s);
    const int32_t grow = s.width / 2 + 3;
    return Box{std::max(e.left - grow, 0), std::max(e.top - grow, 0), std::min(e.right + grow + 1, kWidth),
               std::min(e.bottom + grow + 1, kHeight)};
}

void add_edge(std::vector<Shape> &scene, Shape s) {
    s.group = s.match == Match::Exact ? "partly outside, exact" : "partly outside, tolerant";
    s.box = shape_extent(s);
    scene.push_back(s);
}

Shape make(const char *name, Kind kind, int32_t width, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
           int32_t x3 = 0, int32_t y3 = 0) {
    Shape s;
    s.name = name;
    s.kind = kind;
    s.width = width;
    s.x1 = x1, s.y1 = y1, s.x2 = x2, s.y2 = y2, s.x3 = x3, s.y3 = y3;
    switch (kind) {
        case Kind::Pixels: s.match = Match::Exact; break;
        case Kind::Line: s.match = line_match(width); break;
        case Kind::Rectangle: s.match = width <= 1 ? Match::Exact : Match::Tolerant; break;
        case Kind::Triangle: s.match = width == 1 ? Match::Exact : Match::Tolerant; break;
        default: s.match = Match::Tolerant; break;
    }
    return s;
}

void add_short_lines(std::vector<Shape> &scene, Grid &g) {
    // Sixteen directions around the cell's centre, and a line of no length.
    static const int32_t dirs[17][2] = {{9, 0},  {9, 4},   {9, 9},   {4, 9},   {0, 9},   {-4, 9},
                                        {-9, 9}, {-9, 4},  {-9, 0},  {-9, -4}, {-9, -9}, {-4, -9},
                                        {0, -9}, {4, -9},  {9, -9},  {9, -4},  {0, 0}};
    for (int32_t w = 0; w <= 5; ++w) {
        for (const auto &d : dirs) {
            const Box cell = g.take();
            const int32_t cx = cell.left + g.cell_w / 2, cy = cell.top + g.cell_h / 2;
            char name[64];
            std::snprintf(name, sizeof name, "line w%d to (%+d,%+d)", w, d[0], d[1]);
            Shape s = make(name, Kind::Line, w, cx, cy, cx + d[0], cy + d[1]);
            s.group = "lines w" + std::to_string(w);
            s.box = cell;
            scene.push_back(s);
        }
    }
}

// The two grids of the middle band: small cells for tiny shapes, large
// cells for the rest; a shape goes to the small grid when it fits there.
struct Cells {
    Grid small, large;
};

void add_cell(std::vector<Shape> &scene, Cells &cells, Shape s, const std::string &group) {
    s.group = group;
    // Centre the shape in its cell; the pen and a margin of 2 must fit.
    const Box e = raw_extent(s);
    const int32_t w = e.right - e.left + 1, h = e.bottom - e.top + 1, pen = s.width + 4;
    Grid &grid = w + pen <= cells.small.cell_w && h + pen <= cells.small.cell_h ? cells.small : cells.large;
    s.box = grid.take();
    const int32_t dx = s.box.left + (grid.cell_w - w) / 2 - e.left, dy = s.box.top + (grid.cell_h - h) / 2 - e.top;
    if (s.kind == Kind::Circle || s.kind == Kind::Pixels) {
        s.x1 += dx, s.y1 += dy;
    } else {
        s.x1 += dx, s.y1 += dy, s.x2 += dx, s.y2 += dy;
        if (s.kind == Kind::Triangle) s.x3 += dx, s.y3 += dy;
    }
    scene.push_back(s);
}

void add_rectangles(std::vector<Shape> &scene, Cells &g) {
    static const int32_t filled[][2] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {1, 6}, {6, 1}, {7, 4}, {24, 15}};
    for (const auto &sz : filled) {
        char name[64];
        std::snprintf(name, sizeof name, "rectangle filled %dx%d", sz[0], sz[1]);
        add_cell(scene, g, make(name, Kind::Rectangle, 0, 2, 2, 1 + sz[0], 1 + sz[1]), "filled rectangles");
    }
    static const int32_t thin[][2] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 3}, {1, 6}, {2, 9}, {12, 7}, {24, 15}};
    for (const auto &sz : thin) {
        char name[64];
        std::snprintf(name, sizeof name, "rectangle w1 %dx%d", sz[0], sz[1]);
        add_cell(scene, g, make(name, Kind::Rectangle, 1, 2, 2, 1 + sz[0], 1 + sz[1]), "rectangle outlines w1");
    }
    for (int32_t w = 2; w <= 5; ++w) {
        char name[64];
        std::snprintf(name, sizeof name, "rectangle w%d 24x15", w);
        add_cell(scene, g, make(name, Kind::Rectangle, w, 3, 3, 26, 17), width_group("rectangle", w));
    }
    add_cell(scene, g, make("rectangle w3 3x3", Kind::Rectangle, 3, 5, 5, 7, 7), width_group("rectangle", 3));
    add_cell(scene, g, make("rectangle w5 6x6", Kind::Rectangle, 5, 5, 5, 10, 10), width_group("rectangle", 5));
    // Reversed corners: the library swaps them back, on both platforms alike.
    add_cell(scene, g, make("rectangle filled reversed", Kind::Rectangle, 0, 11, 9, 2, 2), "filled rectangles");
    add_cell(scene, g, make("rectangle w1 reversed x", Kind::Rectangle, 1, 11, 2, 2, 9), "rectangle outlines w1");
    add_cell(scene, g, make("rectangle w3 reversed y", Kind::Rectangle, 3, 3, 12, 14, 3), width_group("rectangle", 3));
}

void add_ovals(std::vector<Shape> &scene, Cells &g) {
    static const int32_t filled[][2] = {{1, 1}, {1, 2}, {2, 1}, {1, 5}, {5, 1}, {2, 2}, {3, 3}, {4, 4}, {4, 7},
                                        {8, 5}, {6, 6}, {13, 13}, {24, 15}, {30, 20}};
    for (const auto &sz : filled) {
        char name[64];
        std::snprintf(name, sizeof name, "oval filled %dx%d", sz[0], sz[1]);
        add_cell(scene, g, make(name, Kind::Oval, 0, 1, 1, sz[0], sz[1]), "filled ovals");
    }
    static const int32_t thin[][2] = {{1, 1}, {2, 2}, {3, 3}, {5, 5}, {9, 6}, {16, 16}, {24, 15}, {30, 20}};
    for (const auto &sz : thin) {
        char name[64];
        std::snprintf(name, sizeof name, "oval w1 %dx%d", sz[0], sz[1]);
        add_cell(scene, g, make(name, Kind::Oval, 1, 1, 1, sz[0], sz[1]), "oval outlines w1");
    }
    for (int32_t w = 2; w <= 5; ++w) {
        char name[64];
        std::snprintf(name, sizeof name, "oval w%d 24x15", w);
        add_cell(scene, g, make(name, Kind::Oval, w, 3, 3, 26, 17), width_group("oval", w));
    }
    add_cell(scene, g, make("oval w3 30x30", Kind::Oval, 3, 1, 1, 30, 30), width_group("oval", 3));
    add_cell(scene, g, make("oval filled reversed", Kind::Oval, 0, 21, 13, 2, 2), "filled ovals");
    add_cell(scene, g, make("oval w2 reversed", Kind::Oval, 2, 22, 14, 3, 3), width_group("oval", 2));
}

void add_circles(std::vector<Shape> &scene, Cells &g) {
    for (int32_t r = 0; r <= 20; ++r) {
        char name[64];
        std::snprintf(name, sizeof name, "circle r%d", r);
        add_cell(scene, g, make(name, Kind::Circle, 0, 0, 0, r, 0), "circles r0-20");
    }
}

void add_triangles(std::vector<Shape> &scene, Cells &g) {
    struct Tri {
        const char *name;
        int32_t p[6];
    };
    static const Tri filled[] = {
        {"acute", {2, 30, 17, 1, 31, 24}},   {"thin", {1, 2, 32, 9, 3, 5}},
        {"right", {2, 2, 2, 28, 30, 28}},    {"tiny", {5, 5, 7, 5, 5, 7}},
        {"collinear", {2, 2, 16, 16, 30, 30}},
    };
    for (const auto &t : filled) {
        std::string name = std::string("triangle filled ") + t.name;
        add_cell(scene, g, make(name.c_str(), Kind::Triangle, 0, t.p[0], t.p[1], t.p[2], t.p[3], t.p[4], t.p[5]),
                 "filled triangles");
    }
    for (int i = 0; i < 3; ++i) {
        const Tri &t = filled[i];
        std::string name = std::string("triangle w1 ") + t.name;
        add_cell(scene, g, make(name.c_str(), Kind::Triangle, 1, t.p[0], t.p[1], t.p[2], t.p[3], t.p[4], t.p[5]),
                 "triangle outlines w1");
    }
    for (int32_t w : {2, 3, 5}) {
        const Tri &t = filled[0];
        char name[64];
        std::snprintf(name, sizeof name, "triangle w%d acute", w);
        // Moved a pixel inwards, so the wide pen stays inside the cell.
        const Shape s = make(name, Kind::Triangle, w, t.p[0] + 1, t.p[1] - 1, t.p[2], t.p[3] + 1, t.p[4] - 1, t.p[5]);
        add_cell(scene, g, s, width_group("triangle", w));
    }
}

void add_long_lines(std::vector<Shape> &scene, Grid &g) {
    for (int32_t w = 0; w <= 5; ++w) {
        for (int slope = 0; slope < 2; ++slope) {
            char name[64];
            std::snprintf(name, sizeof name, "long line w%d %s", w, slope == 0 ? "shallow" : "rising");
            Shape s = slope == 0 ? make(name, Kind::Line, w, 4, 6, 84, 27) : make(name, Kind::Line, w, 4, 28, 83, 13);
            s.group = "lines w" + std::to_string(w);
                    s.box = g.take();
            s.x1 += s.box.left, s.x2 += s.box.left, s.y1 += s.box.top, s.y2 += s.box.top;
            scene.push_back(s);
        }
    }
}

void add_partly_outside(std::vector<Shape> &scene) {
    // Across the top edge.
    add_edge(scene, make("top: rectangle filled", Kind::Rectangle, 0, 40, -10, 70, 12));
    add_edge(scene, make("top: rectangle w1", Kind::Rectangle, 1, 90, -5, 120, 15));
    add_edge(scene, make("top: oval filled", Kind::Oval, 0, 140, -12, 175, 14));
    add_edge(scene, make("top: circle r15", Kind::Circle, 0, 200, 3, 15, 0));
    add_edge(scene, make("top: line w1", Kind::Line, 1, 230, -20, 260, 20));
    add_edge(scene, make("top: line w3", Kind::Line, 3, 285, 20, 305, -15));
    add_edge(scene, make("top: triangle filled", Kind::Triangle, 0, 320, -20, 350, 20, 370, -5));
    add_edge(scene, make("top: oval w3", Kind::Oval, 3, 390, -10, 430, 12));
    add_edge(scene, make("top: pixels", Kind::Pixels, 0, 445, -2, 6, 3, 2));
    // Across the left edge.
    add_edge(scene, make("left: rectangle filled", Kind::Rectangle, 0, -10, 50, 15, 70));
    add_edge(scene, make("left: rectangle w1", Kind::Rectangle, 1, -5, 85, 20, 105));
    add_edge(scene, make("left: oval filled", Kind::Oval, 0, -15, 120, 20, 150));
    add_edge(scene, make("left: circle r14", Kind::Circle, 0, 2, 180, 14, 0));
    add_edge(scene, make("left: line w1", Kind::Line, 1, -30, 210, 22, 228));
    add_edge(scene, make("left: line w5", Kind::Line, 5, 20, 245, -10, 272));
    add_edge(scene, make("left: triangle w1", Kind::Triangle, 1, -20, 295, 22, 312, -5, 330));
    add_edge(scene, make("left: oval w1", Kind::Oval, 1, -12, 350, 18, 380));
    add_edge(scene, make("left: pixels", Kind::Pixels, 0, -2, 400, 3, 6, 2));
    add_edge(scene, make("left: triangle filled", Kind::Triangle, 0, -40, 425, 20, 440, -15, 470));
    add_edge(scene, make("left: rectangle w4", Kind::Rectangle, 4, -20, 485, 16, 505));
    // Across the right edge.
    add_edge(scene, make("right: rectangle filled", Kind::Rectangle, 0, 585, 210, 615, 230));
    add_edge(scene, make("right: rectangle w1", Kind::Rectangle, 1, 590, 245, 620, 265));
    add_edge(scene, make("right: oval filled", Kind::Oval, 0, 584, 280, 620, 310));
    add_edge(scene, make("right: circle r12", Kind::Circle, 0, 598, 335, 12, 0));
    add_edge(scene, make("right: line w1", Kind::Line, 1, 582, 358, 640, 378));
    add_edge(scene, make("right: line w2", Kind::Line, 2, 590, 405, 630, 390));
    add_edge(scene, make("right: triangle filled", Kind::Triangle, 0, 586, 420, 640, 430, 595, 455));
    add_edge(scene, make("right: pixels", Kind::Pixels, 0, 596, 468, 4, 4, 2));
    // The top right corner, outside the short-line cells.
    add_edge(scene, make("corner: oval filled", Kind::Oval, 0, 520, -30, 660, 80));
    add_edge(scene, make("corner: triangle w3", Kind::Triangle, 3, 500, 98, 680, 122, 530, 168));
    // The bottom right corner and the bottom edge.
    add_edge(scene, make("corner: oval w2", Kind::Oval, 2, 575, 500, 650, 580));
    add_edge(scene, make("bottom: rectangle filled", Kind::Rectangle, 0, 40, 531, 70, 560));
    add_edge(scene, make("bottom: oval filled", Kind::Oval, 0, 95, 530, 135, 560));
    add_edge(scene, make("bottom: circle r10", Kind::Circle, 0, 170, 537, 10, 0));
    add_edge(scene, make("bottom: line w1", Kind::Line, 1, 200, 532, 250, 560));
    add_edge(scene, make("bottom: line w4", Kind::Line, 4, 280, 548, 320, 533));
    add_edge(scene, make("bottom: triangle filled", Kind::Triangle, 0, 350, 533, 390, 570, 410, 535));
    add_edge(scene, make("bottom: rectangle w2", Kind::Rectangle, 2, 430, 533, 470, 550));
    add_edge(scene, make("bottom: pixels", Kind::Pixels, 0, 490, 536, 5, 3, 2));
}

}  // namespace

std::vector<Shape> build_scene() {
    std::vector<Shape> scene;
    Grid lines{30, 30, 25, 25, 17};
    add_short_lines(scene, lines);

    // Two rows of small cells, then the large cells below them.
    Cells cells{Grid{30, lines.bottom() + 4, 21, 21, 26}, Grid{30, lines.bottom() + 4 + 2 * 21 + 4, 42, 42, 13}};
    add_cell(scene, cells, make("pixels", Kind::Pixels, 0, 0, 0, 8, 6, 4), "pixels");
    add_cell(scene, cells, make("pixels close", Kind::Pixels, 0, 0, 0, 5, 5, 1), "pixels");
    add_rectangles(scene, cells);
    add_ovals(scene, cells);
    add_circles(scene, cells);
    add_triangles(scene, cells);

    Grid long_lines{30, cells.large.bottom() + 4, 90, 34, 6};
    add_long_lines(scene, long_lines);

    add_partly_outside(scene);

    // Colours cycle through the palette without white (the cleared
    // background) and black (the cleared border), so every shape stands out.
    for (size_t i = 0; i < scene.size(); ++i) scene[i].color = static_cast<int32_t>(2 + i % 22);
    return scene;
}

}  // namespace gdi_scene
