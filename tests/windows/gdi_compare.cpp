// Compares the back buffers that gdi_scene wrote on Linux and under Wine,
// shape by shape, prints a table with the figures, and fails when an exact
// shape differs at all or a tolerant one beyond the tolerance stated below.
// Usage: gdi_compare LINUX.ppm WINDOWS.ppm [DIFF.ppm]
// Relies only on the scene layout; runs on Linux.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "gdi_scene_layout.h"

namespace {

using gdi_scene::Box;
using gdi_scene::kHeight;
using gdi_scene::kWidth;
using gdi_scene::Match;
using gdi_scene::Shape;

// Tolerance for shapes whose rasterisation is the platform's (wide pens,
// ellipses, polygon fills): every differing pixel lies within this many
// pixels (Chebyshev distance) of a pixel of the same colour in the other
// buffer, so an edge may move by one pixel but no part may be missing or
// stray. How many pixels differ is reported, not judged: a one-pixel shift
// along a thin shape changes a large share of it.
constexpr int kMaxDeviation = 1;
constexpr int kSearchRadius = 10;  // deviations beyond it are reported as "far"

struct Image {
    std::vector<unsigned> px;  // 0xRRGGBB, row-major
    unsigned at(int x, int y) const { return px[static_cast<size_t>(y) * kWidth + x]; }
};

int read_number(FILE *f) {
    int c = std::fgetc(f);
    while (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '#') {
        if (c == '#')
            while (c != '\n' && c != EOF) c = std::fgetc(f);
        c = std::fgetc(f);
    }
    int v = 0, digits = 0;
    while (c >= '0' && c <= '9' && digits < 9) {
        v = v * 10 + (c - '0');
        ++digits;
        c = std::fgetc(f);
    }
    return digits ? v : -1;
}

bool read_ppm(const char *path, Image *img) {
    FILE *f = std::fopen(path, "rb");
    if (!f) {
        std::fprintf(stderr, "gdi_compare: cannot open %s\n", path);
        return false;
    }
    bool ok = std::fgetc(f) == 'P' && std::fgetc(f) == '6';
    const int w = ok ? read_number(f) : -1, h = ok ? read_number(f) : -1, maxval = ok ? read_number(f) : -1;
    if (!ok || w != kWidth || h != kHeight || maxval != 255) {
        std::fprintf(stderr, "gdi_compare: %s is not a %dx%d binary PPM with 8-bit samples\n", path, kWidth, kHeight);
        std::fclose(f);
        return false;
    }
    std::vector<unsigned char> raw(static_cast<size_t>(3) * kWidth * kHeight);
    ok = std::fread(raw.data(), 1, raw.size(), f) == raw.size();
    std::fclose(f);
    if (!ok) {
        std::fprintf(stderr, "gdi_compare: %s is truncated\n", path);
        return false;
    }
    img->px.resize(static_cast<size_t>(kWidth) * kHeight);
    for (size_t i = 0; i < img->px.size(); ++i)
        img->px[i] = (unsigned{raw[3 * i]} << 16) | (unsigned{raw[3 * i + 1]} << 8) | raw[3 * i + 2];
    return true;
}

// What the cleared buffer holds: a black outermost ring, white inside.
unsigned background(int x, int y) {
    return x == 0 || y == 0 || x == kWidth - 1 || y == kHeight - 1 ? 0x000000u : 0xFFFFFFu;
}

// Distance from (x, y) to the nearest pixel of `img` holding `color`.
int nearest(const Image &img, int x, int y, unsigned color) {
    for (int d = 0; d <= kSearchRadius; ++d) {
        for (int j = -d; j <= d; ++j) {
            for (int i = -d; i <= d; ++i) {
                if (std::max(std::abs(i), std::abs(j)) != d) continue;
                const int qx = x + i, qy = y + j;
                if (qx < 0 || qy < 0 || qx >= kWidth || qy >= kHeight) continue;
                if (img.at(qx, qy) == color) return d;
            }
        }
    }
    return kSearchRadius + 1;
}

struct Figures {
    long pixels = 0;      // painted in either buffer
    long matched = 0;     // of those, the same in both
    long linux_only = 0;  // painted by the stand-in where Wine left the background
    long wine_only = 0;   // the reverse
    int max_dev = 0;
    void add(const Figures &o) {
        pixels += o.pixels, matched += o.matched, linux_only += o.linux_only, wine_only += o.wine_only;
        max_dev = std::max(max_dev, o.max_dev);
    }
    long differing() const { return pixels - matched; }
};

Figures measure(const Image &a, const Image &b, const Box &box, Image *diff) {
    Figures f;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            const unsigned pa = a.at(x, y), pb = b.at(x, y), bg = background(x, y);
            if (pa == bg && pb == bg) continue;
            ++f.pixels;
            if (pa == pb) {
                ++f.matched;
                continue;
            }
            if (pb == bg) ++f.linux_only;
            if (pa == bg) ++f.wine_only;
            int dev = 0;
            if (pa != bg) dev = std::max(dev, nearest(b, x, y, pa));
            if (pb != bg) dev = std::max(dev, nearest(a, x, y, pb));
            f.max_dev = std::max(f.max_dev, dev);
            if (diff) {
                const unsigned mark = pb == bg ? 0xFF0000u : pa == bg ? 0x0000FFu : 0xFF00FFu;
                diff->px[static_cast<size_t>(y) * kWidth + x] = mark;
            }
        }
    }
    return f;
}

bool passes(Match m, const Figures &f) {
    if (m == Match::Exact) return f.differing() == 0;
    return f.max_dev <= kMaxDeviation;
}

std::string dev_text(const Figures &f) {
    if (f.differing() == 0) return "-";
    return f.max_dev > kSearchRadius ? "far" : std::to_string(f.max_dev);
}

bool write_ppm(const char *path, const Image &img) {
    FILE *f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
    for (unsigned p : img.px) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                      static_cast<unsigned char>(p)};
        std::fwrite(rgb, 1, 3, f);
    }
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: gdi_compare LINUX.ppm WINDOWS.ppm [DIFF.ppm]\n");
        return 2;
    }
    Image lin, win;
    if (!read_ppm(argv[1], &lin) || !read_ppm(argv[2], &win)) return 2;

    const std::vector<Shape> scene = gdi_scene::build_scene();
    for (size_t i = 0; i < scene.size(); ++i) {
        for (size_t j = i + 1; j < scene.size(); ++j) {
            if (scene[i].box.overlaps(scene[j].box)) {
                std::fprintf(stderr, "gdi_compare: the boxes of \"%s\" and \"%s\" overlap\n", scene[i].name.c_str(),
                             scene[j].name.c_str());
                return 2;
            }
        }
    }

    // The diff image: the Linux buffer faded, differing pixels in red
    // (stand-in only), blue (Wine only) or magenta (both, other colours).
    Image diff = lin;
    for (unsigned &p : diff.px) {
        const unsigned r = p >> 16 & 255, g = p >> 8 & 255, b = p & 255;
        p = ((r + 3 * 255) / 4) << 16 | ((g + 3 * 255) / 4) << 8 | (b + 3 * 255) / 4;
    }

    // pixels: painted in either buffer; linux/wine: painted only there; dev:
    // the largest distance of a differing pixel to its colour in the other.
    std::printf("%-34s %-8s %7s %7s %6s %6s %6s %4s  %s\n", "shape", "class", "pixels", "matched", "differ", "linux",
                "wine", "dev", "verdict");
    struct Group {
        Figures figures;
        Match match = Match::Exact;  // tolerant when any of its shapes is
        int shapes = 0;
    };
    std::map<std::string, Group> groups;
    std::vector<std::string> group_order;
    int failures = 0;
    for (const Shape &s : scene) {
        const Figures f = measure(lin, win, s.box, &diff);
        const bool ok = passes(s.match, f);
        failures += ok ? 0 : 1;
        std::printf("%-34s %-8s %7ld %7ld %6ld %6ld %6ld %4s  %s\n", s.name.c_str(),
                    s.match == Match::Exact ? "exact" : "tolerant", f.pixels, f.matched, f.differing(), f.linux_only,
                    f.wine_only, dev_text(f).c_str(), ok ? "ok" : "FAIL");
        if (!groups.count(s.group)) group_order.push_back(s.group);
        Group &g = groups[s.group];
        g.figures.add(f);
        if (s.match == Match::Tolerant) g.match = Match::Tolerant;
        ++g.shapes;
    }

    // Everything outside the shapes' boxes is cleared background on both.
    long outside = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            bool in_box = false;
            for (const Shape &s : scene) in_box = in_box || s.box.contains(x, y);
            if (!in_box && lin.at(x, y) != win.at(x, y)) {
                ++outside;
                diff.px[static_cast<size_t>(y) * kWidth + x] = 0x00C000u;
            }
        }
    }
    if (outside) ++failures;

    std::printf("\n%-28s %6s %-8s %8s %8s %7s %4s\n", "group", "shapes", "class", "pixels", "matched", "share", "dev");
    for (const std::string &name : group_order) {
        const Group &g = groups[name];
        const Figures &f = g.figures;
        const double share = f.pixels ? 100.0 * f.matched / f.pixels : 100.0;
        std::printf("%-28s %6d %-8s %8ld %8ld %6.1f%% %4s\n", name.c_str(), g.shapes,
                    g.match == Match::Exact ? "exact" : "tolerant", f.pixels, f.matched, share, dev_text(f).c_str());
    }
    std::printf("%-28s %6s %-8s %8s %8s %7ld differing\n", "outside every shape", "", "exact", "", "", outside);
    std::printf("\ntolerance: exact shapes match pixel for pixel; in tolerant shapes every differing pixel lies within "
                "%d px of the same colour in the other buffer\n",
                kMaxDeviation);
    std::printf("%d of %zu shapes outside the tolerance%s\n", failures - (outside ? 1 : 0), scene.size(),
                outside ? "; pixels differ outside the shapes" : "");

    if (argc == 4 && !write_ppm(argv[3], diff)) std::fprintf(stderr, "gdi_compare: cannot write %s\n", argv[3]);
    return failures ? 1 : 0;
}
