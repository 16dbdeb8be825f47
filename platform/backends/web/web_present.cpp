// Presenting host pixels on the page: the rectangle is clipped to the
// surface here and copied onto the host's canvas by web_glue.js (alpha made
// opaque, the heap read afresh), before the core may touch its pixels again.
#include "backends/web/web_internal.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace standin {

void web_present(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride, int x, int y, int w,
                 int h) {
    if (pixels == nullptr || width <= 0 || height <= 0 || stride < width || stride > INT_MAX / 4) {
        std::fprintf(stderr, "web: present of an invalid surface (%d x %d, stride %td) ignored\n", width, height,
                     stride);
        return;
    }
    // Clip in 64 bits: x + w may exceed int.
    const int l = static_cast<int>(std::max<int64_t>(x, 0));
    const int t = static_cast<int>(std::max<int64_t>(y, 0));
    const int r = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(x) + w, width));
    const int b = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(y) + h, height));
    if (l >= r || t >= b) return;
    web_js_present(static_cast<int>(host), pixels, width, height, static_cast<int>(stride), l, t, r - l, b - t);
}

}  // namespace standin
