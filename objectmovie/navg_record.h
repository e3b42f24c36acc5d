// The object record stored as the 'NAVG' user data item of a QuickTime VR 1.0
// object movie: 48 bytes, every field signed and big-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "quicktime/qt_types.h"

struct NavgRecord {
    static constexpr std::size_t size = 48;
    static constexpr OSType item_type = four_cc("NAVG");
    using Bytes = std::array<std::uint8_t, size>;

    std::int16_t version = 1;
    std::int16_t columns = 0;
    std::int16_t rows = 0;
    std::int16_t reserved1 = 0;
    std::int16_t frames_per_view = 1;
    std::int16_t frame_duration = 0;  // movie time units
    std::int16_t movie_type = 1;      // standard object movie
    std::int16_t loop_ticks = 0;
    Fixed field_of_view = 0;          // degrees, 16.16, as are the angles below
    Fixed start_pan = 0;
    Fixed end_pan = 0;
    Fixed end_tilt = 0;               // stored before the start tilt
    Fixed start_tilt = 0;
    Fixed initial_pan = 0;
    Fixed initial_tilt = 0;
    std::int32_t reserved2 = 0;

    void write(std::uint8_t* out) const;  // exactly `size` bytes
    Bytes bytes() const;
    // False (and `out` untouched) unless `length` is exactly `size`.
    static bool parse(const std::uint8_t* data, std::size_t length, NavgRecord& out);

    bool operator==(const NavgRecord&) const = default;
};

// Degrees as 16.16, truncated toward zero (not rounded), saturating at the
// ends of the 32-bit range.
Fixed degrees_to_fixed(float degrees);

// The record for a grid of `columns` × `rows` one-frame views: the fixed angle
// ranges of the object controller (pan 0 to 360, tilt 90 down to -20), the
// low 16 bits of `sample_duration` and the initial view at `view_time`.
NavgRecord object_record(std::int16_t columns, std::int16_t rows, TimeValue sample_duration, TimeValue view_time);
