#include "objectmovie/view_angles.h"

OSErr view_angles_at_time(TimeValue time, TimeValue frame_duration, std::int16_t columns, std::int16_t rows,
                          std::int16_t frames_per_view, float start_pan, float end_pan, float start_tilt,
                          float end_tilt, float* pan, float* tilt) {
    if (frame_duration == 0 || frames_per_view == 0 || columns == 0) return paramErr;

    const double pan_range = double(end_pan) - double(start_pan);
    const float tilt_range = static_cast<float>(double(start_tilt) - double(end_tilt));

    // Integer divisions truncating toward zero; 64 bits so that no quotient overflows.
    const std::int64_t frame = (std::int64_t(time) / frame_duration) / frames_per_view;
    const auto row = static_cast<std::int16_t>(frame / columns);
    const auto column = static_cast<std::int16_t>(frame % columns);

    double pan_degrees = start_pan;
    if (columns != 1) {
        // A full turn has no separate last column: it would coincide with the first.
        const double step = pan_range == 360.0 ? pan_range / columns : pan_range / (columns - 1);
        pan_degrees = double(start_pan) + step * column;
    }
    double tilt_degrees = start_tilt;
    if (rows != 1) tilt_degrees = double(start_tilt) - (double(tilt_range) / (rows - 1)) * row;

    if (pan) *pan = static_cast<float>(pan_degrees);
    if (tilt) *tilt = static_cast<float>(tilt_degrees);
    return noErr;
}
