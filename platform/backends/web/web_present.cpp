// Presenting host pixels on the page: the damaged rectangles are clipped to
// the surface here and copied onto the host's canvas by the page's present
// import before the core may touch its pixels again.
#include "backends/web/web_internal.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

namespace standin {

void web_present(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride, const HostRect *rects,
                 int count) {
    if (pixels == nullptr || (rects == nullptr && count > 0)) {
        std::fprintf(stderr, "web: present without pixels or rectangles ignored\n");
        return;
    }
    if (width <= 0 || height <= 0 || stride < width || stride > INT_MAX / 4) {
        std::fprintf(stderr, "web: present of an invalid surface (%d x %d, stride %td) ignored\n", width, height,
                     stride);
        return;
    }
    // x, y, w, h of each non-empty rectangle; kept between presents so a
    // frame allocates nothing.
    static std::vector<int32_t> clipped;
    clipped.clear();
    for (int i = 0; i < count; ++i) {
        const HostRect &r = rects[i];
        // In 64 bits: x + w may exceed int.
        const int64_t l = std::max<int64_t>(r.x, 0);
        const int64_t t = std::max<int64_t>(r.y, 0);
        const int64_t rt = std::min<int64_t>(static_cast<int64_t>(r.x) + r.w, width);
        const int64_t b = std::min<int64_t>(static_cast<int64_t>(r.y) + r.h, height);
        if (l >= rt || t >= b) continue;
        clipped.insert(clipped.end(), {static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(rt - l),
                                       static_cast<int32_t>(b - t)});
    }
    // Called with no rectangles too: an unchanged frame is still a frame
    // (the page counts them).
    web_js_present(static_cast<int>(host), pixels, width, height, static_cast<int>(stride), clipped.data(),
                   static_cast<int>(clipped.size() / 4));
}

}  // namespace standin
