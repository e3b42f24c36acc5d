#include "objecttool/object_record.h"

#include <algorithm>
#include <cmath>

namespace objecttool {

namespace {

std::int16_t s16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::int16_t(std::uint16_t(b[at] << 8 | b[at + 1]));
}

double fixed_degrees(const std::vector<std::uint8_t>& b, std::size_t at) {
    const std::uint32_t v = std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 | b[at + 3];
    return std::int32_t(v) / 65536.0;
}

// Index of the grid step nearest to `offset`, for steps of `step` degrees.
int nearest_step(double offset, double step, int count) {
    if (count <= 1 || step == 0 || !std::isfinite(offset / step)) return 0;
    return int(std::clamp(std::lround(offset / step), 0L, long(count - 1)));
}

}  // namespace

std::optional<ObjectRecord> ObjectRecord::parse(const std::vector<std::uint8_t>& b) {
    if (b.size() < size) return std::nullopt;
    ObjectRecord r;
    r.version = s16(b, 0);
    r.columns = s16(b, 2);
    r.rows = s16(b, 4);
    r.frames_per_view = s16(b, 8);
    r.frame_duration = s16(b, 10);
    r.movie_type = s16(b, 12);
    r.loop_ticks = s16(b, 14);
    r.field_of_view = fixed_degrees(b, 16);
    r.start_pan = fixed_degrees(b, 20);
    r.end_pan = fixed_degrees(b, 24);
    r.end_tilt = fixed_degrees(b, 28);
    r.start_tilt = fixed_degrees(b, 32);
    r.initial_pan = fixed_degrees(b, 36);
    r.initial_tilt = fixed_degrees(b, 40);
    return r;
}

double ObjectRecord::pan_at(int column) const {
    if (columns <= 1) return start_pan;
    const double range = end_pan - start_pan;
    return start_pan + range / (pan_wraps() ? columns : columns - 1) * column;
}

double ObjectRecord::tilt_at(int row) const {
    if (rows <= 1) return start_tilt;
    return start_tilt - (start_tilt - end_tilt) / (rows - 1) * row;
}

int ObjectRecord::initial_column() const {
    if (columns <= 1) return 0;
    const double step = (end_pan - start_pan) / (pan_wraps() ? columns : columns - 1);
    double offset = initial_pan - start_pan;
    if (pan_wraps()) offset = std::fmod(std::fmod(offset, 360.0) + 360.0, 360.0);
    const int column = nearest_step(offset, step, pan_wraps() ? columns + 1 : columns);
    return column == columns ? 0 : column;
}

int ObjectRecord::initial_row() const {
    if (rows <= 1) return 0;
    return nearest_step(start_tilt - initial_tilt, (start_tilt - end_tilt) / (rows - 1), rows);
}

}  // namespace objecttool
