// Rectangle arithmetic of USER (update regions, damage, overlays): right and
// bottom exclusive, as Win32 keeps them; an empty result is always {0,0,0,0}.
#pragma once

#include <windows.h>

#include <algorithm>

namespace standin {

inline bool rect_empty(const RECT &r) { return r.left >= r.right || r.top >= r.bottom; }

inline RECT rect_intersect(const RECT &a, const RECT &b) {
    const RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    return rect_empty(r) ? RECT{0, 0, 0, 0} : r;
}

// Grows *acc to the bounding box of itself and r (an empty r adds nothing).
inline void rect_union(RECT *acc, const RECT &r) {
    if (rect_empty(r)) return;
    if (rect_empty(*acc)) {
        *acc = r;
        return;
    }
    acc->left = std::min(acc->left, r.left);
    acc->top = std::min(acc->top, r.top);
    acc->right = std::max(acc->right, r.right);
    acc->bottom = std::max(acc->bottom, r.bottom);
}

inline bool rect_contains(const RECT &outer, const RECT &inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

}  // namespace standin
