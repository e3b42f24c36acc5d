// Converting times between time scales without overflowing 64 bits.
#pragma once

#include <cstdint>

namespace medialayer {

// v * to / from, rounded toward zero. Scales are positive.
inline std::int64_t rescale_down(std::int64_t v, std::int64_t from, std::int64_t to) {
    if (from == to || from <= 0) return v;
    return (v / from) * to + ((v % from) * to) / from;
}

// v * to / from, rounded up, so a converted duration never cuts a sample short.
inline std::int64_t rescale_up(std::int64_t v, std::int64_t from, std::int64_t to) {
    if (from == to || from <= 0) return v;
    std::int64_t down = rescale_down(v, from, to);
    return rescale_down(down, to, from) < v ? down + 1 : down;
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
