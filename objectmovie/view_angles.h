// Which pan and tilt an object movie shows at a given movie time.
#pragma once

#include <cstdint>

#include "quicktime/qt_types.h"

// Frames run row-major: every column of the top row, then the next row.
// Angles are in degrees. Returns paramErr (outputs untouched) when the frame
// duration, the frames per view or the column count is 0, which would leave
// the frame index undefined; otherwise noErr. Indices are not clamped: a time
// past the last frame keeps tilting below the end tilt.
OSErr view_angles_at_time(TimeValue time, TimeValue frame_duration, std::int16_t columns, std::int16_t rows,
                          std::int16_t frames_per_view, float start_pan, float end_pan, float start_tilt,
                          float end_tilt, float* pan, float* tilt);
