// A bitmap's pixel store, with the opaque fills drawn on it but not written
// yet. Solid rectangles are recorded and written later in one front-to-back
// pass (deferred_fill.cpp), so a frame that paints layer over layer writes
// each pixel once. Every accessor below settles the record first, so whoever
// reads or writes the pixels sees what immediate drawing would have left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin {

// A solid rectangle in surface pixels, right and bottom exclusive.
struct DeferredFill {
    int32_t l, t, r, b;
    uint32_t px;  // 0x00RRGGBB
};

class BitmapPixels {
public:
    using iterator = std::vector<uint32_t>::iterator;
    using const_iterator = std::vector<uint32_t>::const_iterator;
    using value_type = uint32_t;

    // width x height pixels of value v; forgets every recorded fill.
    void reset(int width, int height, uint32_t v);

    uint32_t *data() { return settled().data(); }
    const uint32_t *data() const { return settled().data(); }
    iterator begin() { return settled().begin(); }
    iterator end() { return settled().end(); }
    const_iterator begin() const { return settled().begin(); }
    const_iterator end() const { return settled().end(); }
    uint32_t &operator[](size_t i) { return settled()[i]; }
    uint32_t operator[](size_t i) const { return settled()[i]; }
    operator const std::vector<uint32_t> &() const { return settled(); }
    size_t size() const { return px_.size(); }
    bool empty() const { return px_.empty(); }
    friend bool operator==(const std::vector<uint32_t> &a, const BitmapPixels &b) { return a == b.settled(); }
    friend bool operator==(const BitmapPixels &a, const std::vector<uint32_t> &b) { return a.settled() == b; }

    // ---- for the rasterizer ----

    // The store as it is, fills still pending: only for code that records
    // fills or has settled them.
    uint32_t *unsettled() { return px_.data(); }
    // Records a solid rectangle, already clipped to the bitmap and not empty.
    // A full record is written out first; a fill hides the older ones it covers.
    void record(const DeferredFill &f);
    bool pending() const { return !fills_.empty(); }
    // Writes the recorded fills, each pixel once, and empties the record.
    void settle() const;

    static constexpr size_t kMaxFills = 64;

private:
    std::vector<uint32_t> &settled() const {
        if (!fills_.empty()) settle();
        return px_;
    }

    mutable std::vector<uint32_t> px_;           // 0x00RRGGBB, width_ per row
    mutable std::vector<DeferredFill> fills_;    // in drawing order, oldest first
    int width_ = 0;
};

}  // namespace standin
