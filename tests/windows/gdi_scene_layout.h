// The fixed scene of the cross-platform drawing comparison: every shape in
// back-buffer pixels (x right, y down), the box it is judged in, and whether
// the Linux and the Windows build must agree on it exactly. Shared by the
// drawing program (built for both platforms) and the comparison (Linux).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gdi_scene {

constexpr int kWidth = 601;   // the library's back buffer
constexpr int kHeight = 540;

enum class Kind { Pixels, Line, Rectangle, Oval, Triangle, Circle };

// Exact: pixels, filled rectangles, one-pixel outlines, lines of width 0 and 1.
// Tolerant: wide pens, ellipses and polygon fills, whose rasterisation is the
// platform's own.
enum class Match { Exact, Tolerant };

struct Box {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // half-open, device pixels
    bool contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool overlaps(const Box &o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

struct Shape {
    std::string name;
    std::string group;  // the row of the report's summary this shape counts in
    Kind kind = Kind::Pixels;
    Match match = Match::Exact;
    int32_t color = 2;  // palette index
    // Device pixels. Rectangle and oval: the two corners as handed to the
    // library (both inclusive, either order). Line: start and end. Triangle:
    // three vertices. Circle: centre in (x1, y1), radius in x2. Pixels: first
    // pixel (x1, y1), a grid of x2 by y2 pixels, x3 apart.
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
    int32_t width = 0;  // pen width; 0 fills rectangles, ovals and triangles
    Box box;            // where the shape is compared; no two boxes overlap
};

std::vector<Shape> build_scene();

}  // namespace gdi_scene
