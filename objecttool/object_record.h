// The object movie's 'NAVG' record: the grid of views and the angles they span.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace objecttool {

// 48 bytes, every field signed and big-endian; angles in degrees as 16.16.
struct ObjectRecord {
    std::int16_t version = 0;
    std::int16_t columns = 0;
    std::int16_t rows = 0;
    std::int16_t frames_per_view = 0;
    std::int16_t frame_duration = 0;  // in the movie's time units
    std::int16_t movie_type = 0;
    std::int16_t loop_ticks = 0;
    double field_of_view = 0;
    double start_pan = 0;
    double end_pan = 0;
    double end_tilt = 0;
    double start_tilt = 0;
    double initial_pan = 0;
    double initial_tilt = 0;

    static constexpr std::size_t size = 48;
    // nullopt when the item is shorter than the record.
    static std::optional<ObjectRecord> parse(const std::vector<std::uint8_t>& bytes);

    // Pan wraps from the last column to the first only over a whole turn.
    bool pan_wraps() const { return end_pan - start_pan == 360.0; }
    // The angles of the view at (column, row), as object players place them.
    double pan_at(int column) const;
    double tilt_at(int row) const;
    // The view nearest to the record's initial pan and tilt, inside the grid.
    int initial_column() const;
    int initial_row() const;
};

}  // namespace objecttool
