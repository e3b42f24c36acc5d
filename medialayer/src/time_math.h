// Time arithmetic on hostile numbers: sums, products and conversions between
// time scales that answer nothing instead of overflowing 64 bits.
#pragma once

#include <cstdint>
#include <optional>

namespace medialayer {

using CheckedTime = std::optional<std::int64_t>;

inline CheckedTime checked_add(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) return std::nullopt;
    return sum;
}

inline CheckedTime checked_mul(std::int64_t a, std::int64_t b) {
    std::int64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product)) return std::nullopt;
    return product;
}

// v * to / from, rounded toward zero. Scales are positive; a scale of 0 or
// less leaves v as it is.
inline CheckedTime rescale_down(std::int64_t v, std::int64_t from, std::int64_t to) {
    if (from == to || from <= 0) return v;
    const CheckedTime whole = checked_mul(v / from, to);
    const CheckedTime part = checked_mul(v % from, to);
    if (!whole || !part) return std::nullopt;
    return checked_add(*whole, *part / from);
}

// v * to / from, rounded up, so a converted duration never cuts a sample short.
inline CheckedTime rescale_up(std::int64_t v, std::int64_t from, std::int64_t to) {
    if (from == to || from <= 0) return v;
    const CheckedTime down = rescale_down(v, from, to);
    if (!down) return std::nullopt;
    // Converted back, the result must reach v; one that does not fit going back is past it
    // (or, negative, short of it).
    const CheckedTime back = rescale_down(*down, to, from);
    if (back ? *back >= v : *down >= 0) return down;
    return checked_add(*down, 1);
}

}  // namespace medialayer

#include <chrono>

namespace medialayer {

// Seconds since 1 January 1904, how movie headers record their dates.
inline std::uint32_t mac_time_now() {
    auto unix_seconds = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    return std::uint32_t(std::int64_t(unix_seconds) + 2082844800LL);
}

}  // namespace medialayer
