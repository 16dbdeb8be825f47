// A set of addresses in one flat table (open addressing, linear probing):
// the GDI registry, which a program's drawing asks on every call whether a
// handle is live and changes with every pen, brush and font it creates and
// deletes. A node-based set allocates and frees a node for each of those.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin {

class AddressSet {
public:
    bool contains(const void *p) const {
        if (p == nullptr || slots_.empty()) return false;
        for (size_t i = home(p);; i = (i + 1) & mask()) {
            if (slots_[i] == p) return true;
            if (slots_[i] == nullptr) return false;
        }
    }

    // False when p was already there (or is null).
    bool insert(void *p) {
        if (p == nullptr) return false;
        if (2 * (size_ + 1) > slots_.size()) grow();
        size_t i = home(p);
        for (; slots_[i] != nullptr; i = (i + 1) & mask())
            if (slots_[i] == p) return false;
        slots_[i] = p;
        ++size_;
        return true;
    }

    // False when p was not there.
    bool erase(const void *p) {
        if (p == nullptr || slots_.empty()) return false;
        size_t i = home(p);
        while (slots_[i] != p) {
            if (slots_[i] == nullptr) return false;
            i = (i + 1) & mask();
        }
        // Moves back each later entry of the run that may no longer be found
        // past the hole: one whose home is not in (hole, its slot].
        for (size_t j = (i + 1) & mask(); slots_[j] != nullptr; j = (j + 1) & mask()) {
            const size_t k = home(slots_[j]);
            const bool stays = i <= j ? (i < k && k <= j) : (i < k || k <= j);
            if (stays) continue;
            slots_[i] = slots_[j];
            i = j;
        }
        slots_[i] = nullptr;
        --size_;
        return true;
    }

    size_t size() const { return size_; }

    // Calls f with every address, in no particular order; f must not change the set.
    template <class F>
    void for_each(F f) const {
        for (void *p : slots_)
            if (p != nullptr) f(p);
    }

private:
    size_t mask() const { return slots_.size() - 1; }
    // Fibonacci hashing: the top bits of the address times 2^64 / phi, so
    // that aligned addresses spread over the table.
    size_t home(const void *p) const {
        return static_cast<size_t>((static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) * 0x9E3779B97F4A7C15ull) >>
                                   (64 - bits_));
    }
    void grow() {
        std::vector<void *> old;
        old.swap(slots_);
        bits_ = old.empty() ? 6 : bits_ + 1;
        slots_.assign(size_t{1} << bits_, nullptr);
        size_ = 0;
        for (void *p : old)
            if (p != nullptr) insert(p);
    }

    std::vector<void *> slots_;  // a power of two of them, at most half in use
    size_t size_ = 0;
    int bits_ = 0;
};

}  // namespace standin
