#include "objectmovie/navg_record.h"

#include <cmath>
#include <limits>

#include "objectmovie/big_endian.h"
#include "objectmovie/view_angles.h"

namespace {

// The object controller's ranges; the record states them whatever tilts the
// capture actually used.
constexpr float field_of_view_degrees = 180.0f;
constexpr float start_pan_degrees = 0.0f;
constexpr float end_pan_degrees = 360.0f;
constexpr float start_tilt_degrees = 90.0f;
constexpr float end_tilt_degrees = -20.0f;

// The initial view is located with a fixed 60-unit frame step, not the
// measured sample duration.
constexpr TimeValue view_frame_duration = 60;

}  // namespace

void NavgRecord::write(std::uint8_t* out) const {
    using namespace big_endian;
    put_i16(out + 0, version);
    put_i16(out + 2, columns);
    put_i16(out + 4, rows);
    put_i16(out + 6, reserved1);
    put_i16(out + 8, frames_per_view);
    put_i16(out + 10, frame_duration);
    put_i16(out + 12, movie_type);
    put_i16(out + 14, loop_ticks);
    put_i32(out + 16, field_of_view);
    put_i32(out + 20, start_pan);
    put_i32(out + 24, end_pan);
    put_i32(out + 28, end_tilt);
    put_i32(out + 32, start_tilt);
    put_i32(out + 36, initial_pan);
    put_i32(out + 40, initial_tilt);
    put_i32(out + 44, reserved2);
}

NavgRecord::Bytes NavgRecord::bytes() const {
    Bytes out{};
    write(out.data());
    return out;
}

bool NavgRecord::parse(const std::uint8_t* data, std::size_t length, NavgRecord& out) {
    if (!data || length != size) return false;
    using namespace big_endian;
    NavgRecord r;
    r.version = get_i16(data + 0);
    r.columns = get_i16(data + 2);
    r.rows = get_i16(data + 4);
    r.reserved1 = get_i16(data + 6);
    r.frames_per_view = get_i16(data + 8);
    r.frame_duration = get_i16(data + 10);
    r.movie_type = get_i16(data + 12);
    r.loop_ticks = get_i16(data + 14);
    r.field_of_view = get_i32(data + 16);
    r.start_pan = get_i32(data + 20);
    r.end_pan = get_i32(data + 24);
    r.end_tilt = get_i32(data + 28);
    r.start_tilt = get_i32(data + 32);
    r.initial_pan = get_i32(data + 36);
    r.initial_tilt = get_i32(data + 40);
    r.reserved2 = get_i32(data + 44);
    out = r;
    return true;
}

Fixed degrees_to_fixed(float degrees) {
    const double scaled = std::trunc(double(degrees) * 65536.0);
    if (std::isnan(scaled)) return 0;
    if (scaled >= double(std::numeric_limits<Fixed>::max())) return std::numeric_limits<Fixed>::max();
    if (scaled <= double(std::numeric_limits<Fixed>::min())) return std::numeric_limits<Fixed>::min();
    return static_cast<Fixed>(scaled);
}

NavgRecord object_record(std::int16_t columns, std::int16_t rows, TimeValue sample_duration, TimeValue view_time) {
    NavgRecord r;
    r.columns = columns;
    r.rows = rows;
    r.frames_per_view = 1;
    r.frame_duration = static_cast<std::int16_t>(sample_duration);  // low 16 bits, read as signed
    r.field_of_view = degrees_to_fixed(field_of_view_degrees);
    r.start_pan = degrees_to_fixed(start_pan_degrees);
    r.end_pan = degrees_to_fixed(end_pan_degrees);
    r.end_tilt = degrees_to_fixed(end_tilt_degrees);
    r.start_tilt = degrees_to_fixed(start_tilt_degrees);

    float pan = start_pan_degrees;
    float tilt = start_tilt_degrees;
    view_angles_at_time(view_time, view_frame_duration, columns, rows, r.frames_per_view, start_pan_degrees,
                        end_pan_degrees, start_tilt_degrees, end_tilt_degrees, &pan, &tilt);
    r.initial_pan = degrees_to_fixed(pan);
    r.initial_tilt = degrees_to_fixed(tilt);
    return r;
}
