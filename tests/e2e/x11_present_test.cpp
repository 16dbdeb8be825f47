// Presenting pixels on a real X server: what the backend puts on screen is
// read back with XGetImage from a second connection, through both the MIT-SHM
// path (from the surface memory the backend gives) and the XPutImage
// fallback. The time of a full present is measured by bench/x11_driver_bench.
#include "x11_test_support.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace x11test {
namespace {

struct Surface {
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;  // pixels per row
    std::vector<uint32_t> pixels;

    Surface(int w, int h, int pad = 0) : width(w), height(h), stride(w + pad), pixels(size_t(stride) * h, 0xDEADBEEF) {}
    uint32_t &at(int x, int y) { return pixels[size_t(y) * stride + x]; }
    // Distinct colours in every channel, so a swapped channel or shifted row shows.
    void fill(int seed) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                at(x, y) = (uint32_t((x * 7 + seed) & 0xFF) << 16) | (uint32_t((y * 5 + seed * 3) & 0xFF) << 8) |
                           uint32_t((x ^ y ^ seed) & 0xFF);
    }
};

class X11Present : public X11Fixture, public ::testing::WithParamInterface<bool> {
protected:
    X11Present() { no_shm_ = GetParam(); }

    // With MIT-SHM the backend gives the surface memory (the shared segment)
    // and presents from it; the surface is staged there first.
    void present_rects(HostId host, Surface &s, const std::vector<standin::HostRect> &rects) {
        const int n = int(rects.size());
        if (uint32_t *shared = standin::kX11Driver.surface(host, s.width, s.height)) {
            for (int row = 0; row < s.height; ++row)
                std::copy_n(&s.at(0, row), s.width, shared + size_t(row) * s.width);
            standin::kX11Driver.present(host, shared, s.width, s.height, s.width, rects.data(), n);
        } else {
            standin::kX11Driver.present(host, s.pixels.data(), s.width, s.height, s.stride, rects.data(), n);
        }
    }
    void present(HostId host, Surface &s, int x, int y, int w, int h) { present_rects(host, s, {{x, y, w, h}}); }
    void present_all(HostId host, Surface &s) { present(host, s, 0, 0, s.width, s.height); }

    // The window's pixels as the server holds them (0x00RRGGBB).
    std::vector<uint32_t> read_back(HostId host, int width, int height) {
        std::vector<uint32_t> out;
        XImage *img = XGetImage(peer_, window_of(host), 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        if (img == nullptr) return out;
        out.reserve(size_t(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) out.push_back(uint32_t(XGetPixel(img, x, y)) & 0xFFFFFF);
        XDestroyImage(img);
        return out;
    }

    // Waits until the screen shows `expected`, then reports the first difference if it never does.
    void expect_screen(HostId host, int width, int height, const std::vector<uint32_t> &expected) {
        std::vector<uint32_t> got;
        eventually([&] {
            got = read_back(host, width, height);
            return got == expected;
        });
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            if (got[i] != expected[i]) {
                ADD_FAILURE() << "pixel (" << i % width << ", " << i / width << ") is " << std::hex << got[i]
                              << ", expected " << expected[i];
                return;
            }
    }

    static std::vector<uint32_t> visible(Surface &s) {
        std::vector<uint32_t> out;
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) out.push_back(s.at(x, y) & 0xFFFFFF);
        return out;
    }

    void expect_path() {
        if (no_shm_)
            EXPECT_FALSE(standin::x11().use_shm);
        else
            EXPECT_TRUE(standin::x11().use_shm) << "MIT-SHM should work on a local Xvfb";
    }
};

TEST_P(X11Present, WholeSurfaceReadsBackExactly) {
    HostId host = open_host(40, 30, 64, 48);
    Surface s(64, 48);
    s.fill(1);
    present_all(host, s);
    expect_screen(host, 64, 48, visible(s));
    expect_path();
}

// A row pitch wider than the surface must not leak the padding or shear rows.
TEST_P(X11Present, RectangleUpdatesOnlyThatRectangleWithPaddedRows) {
    HostId host = open_host(40, 30, 64, 48);
    Surface s(64, 48, 13);
    s.fill(1);
    present_all(host, s);
    std::vector<uint32_t> expected = visible(s);
    expect_screen(host, 64, 48, expected);

    s.fill(2);
    present(host, s, 10, 5, 20, 15);
    for (int y = 5; y < 20; ++y)
        for (int x = 10; x < 30; ++x) expected[size_t(y) * 64 + x] = s.at(x, y) & 0xFFFFFF;
    expect_screen(host, 64, 48, expected);
    expect_path();
}

// Several rectangles in one present: those reach the screen, nothing else.
TEST_P(X11Present, OnlyTheListedRectanglesReachTheScreen) {
    HostId host = open_host(40, 30, 64, 48);
    Surface s(64, 48);
    s.fill(1);
    present_all(host, s);
    std::vector<uint32_t> expected = visible(s);
    expect_screen(host, 64, 48, expected);

    s.fill(2);
    const std::vector<standin::HostRect> rects = {{2, 3, 5, 4}, {40, 3, 10, 2}, {20, 30, 30, 10}};
    present_rects(host, s, rects);
    for (const standin::HostRect &r : rects)
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) expected[size_t(y) * 64 + x] = s.at(x, y) & 0xFFFFFF;
    expect_screen(host, 64, 48, expected);
    expect_path();
}

TEST_P(X11Present, RectanglesAreClippedToTheSurface) {
    HostId host = open_host(40, 30, 32, 24);
    Surface s(32, 24);
    s.fill(1);
    present_all(host, s);
    std::vector<uint32_t> expected = visible(s);

    s.fill(2);
    present(host, s, -10, -10, 20, 15);        // top-left corner 10 x 5 shows
    present(host, s, 30, 20, INT_MAX, INT_MAX); // x + w overflows int
    present(host, s, INT_MIN, INT_MIN, 5, 5);   // wholly outside
    present(host, s, 5, 5, 0, -3);              // empty
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x) expected[size_t(y) * 32 + x] = s.at(x, y) & 0xFFFFFF;
    for (int y = 20; y < 24; ++y)
        for (int x = 30; x < 32; ++x) expected[size_t(y) * 32 + x] = s.at(x, y) & 0xFFFFFF;
    expect_screen(host, 32, 24, expected);
}

TEST_P(X11Present, InvalidSurfacesAndHostsAreIgnored) {
    HostId host = open_host(40, 30, 32, 24);
    Surface s(32, 24);
    s.fill(1);
    present_all(host, s);
    const standin::HostRect all{0, 0, 32, 24};
    standin::kX11Driver.present(host, nullptr, 32, 24, 32, &all, 1);
    standin::kX11Driver.present(host, s.pixels.data(), 32, 24, 16, &all, 1);  // stride < width
    standin::kX11Driver.present(host, s.pixels.data(), -1, 24, 32, &all, 1);
    standin::kX11Driver.present(host + 1000, s.pixels.data(), 32, 24, 32, &all, 1);
    standin::kX11Driver.present(0, s.pixels.data(), 32, 24, 32, &all, 1);
    standin::kX11Driver.present(host, s.pixels.data(), 32, 24, 32, nullptr, 1);
    expect_screen(host, 32, 24, visible(s));
}

// Back-to-back presents reuse one shared segment: each must wait until the
// server has finished with the previous one, and the last image must win.
TEST_P(X11Present, RapidPresentsEndWithTheLastImage) {
    HostId host = open_host(40, 30, 120, 90);
    Surface s(120, 90);
    for (int i = 0; i < 60; ++i) {
        s.fill(i);
        present_all(host, s);
    }
    expect_screen(host, 120, 90, visible(s));
    expect_path();
}

// A new surface size (after a resize) needs a new segment.
TEST_P(X11Present, SurfaceSizeChangeIsShownWhole) {
    HostId host = open_host(40, 30, 64, 48);
    Surface small(64, 48);
    small.fill(1);
    present_all(host, small);
    expect_screen(host, 64, 48, visible(small));

    XResizeWindow(peer_, window_of(host), 100, 70);
    XSync(peer_, False);
    ASSERT_TRUE(pump_until([] { return !recorded_of({Kind::Resize}).empty(); }));
    Surface big(100, 70);
    big.fill(3);
    present_all(host, big);
    expect_screen(host, 100, 70, visible(big));
    expect_path();
}

TEST_P(X11Present, EachHostShowsItsOwnPixels) {
    HostId a = open_host(10, 10, 40, 30, "a");
    HostId b = open_host(300, 10, 50, 20, "b");
    Surface sa(40, 30), sb(50, 20);
    sa.fill(4);
    sb.fill(9);
    present_all(a, sa);
    present_all(b, sb);
    expect_screen(a, 40, 30, visible(sa));
    expect_screen(b, 50, 20, visible(sb));
    standin::kX11Driver.destroy_host(a);  // with its segment perhaps still in use
    present_all(b, sb);
    expect_screen(b, 50, 20, visible(sb));
}

INSTANTIATE_TEST_SUITE_P(Paths, X11Present, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "PutImage" : "Shm"; });

}  // namespace
}  // namespace x11test
