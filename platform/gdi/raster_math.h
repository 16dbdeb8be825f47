// Exact integer arithmetic for the rasterizer: floor and ceiling division,
// integer square roots and overflow-checked 128-bit products. Relies on the
// compiler's __int128 (GCC and Clang). Floating point only ever gives first
// guesses that exact integer checks then correct; double serves ordinary
// sizes, long double (64-bit mantissa on x86-64) coordinates near the int32
// limits.
#pragma once

#include <cmath>
#include <cstdint>

namespace standin {

using i128 = __int128;
using u128 = unsigned __int128;

// floor(a / b) and ceil(a / b) for b > 0.
inline int64_t floor_div(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
inline int64_t ceil_div(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}
inline i128 floor_div128(i128 a, i128 b) {
    const i128 q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// floor(sqrt(v)), exact for every 64-bit v: the double guess is within one
// of the answer and integer checks settle it.
inline uint64_t isqrt(uint64_t v) {
    const double g = std::sqrt(static_cast<double>(v));
    uint64_t r = g >= 4294967295.0 ? 4294967295u : static_cast<uint64_t>(g);
    while (static_cast<u128>(r) * r > v) --r;
    while (static_cast<u128>(r + 1) * (r + 1) <= v) ++r;
    return r;
}

// a * b into *out; false when the product does not fit in 128 bits.
inline bool mul128(i128 a, i128 b, i128 *out) { return !__builtin_mul_overflow(a, b, out); }

// A floating-point guess truncated towards zero and clamped into [lo, hi];
// NaN gives lo. Keeps guesses from overflowing the integer code that follows,
// which corrects them (truncation instead of floor is one of the errors it
// absorbs).
template <class T>
inline int64_t clamp_guess(T v, int64_t lo, int64_t hi) {
    if (!(v > static_cast<T>(lo))) return lo;
    if (!(v < static_cast<T>(hi))) return hi;
    return static_cast<int64_t>(v);
}

}  // namespace standin
