#include "capture/capture_plan.h"

#include <limits>

namespace {

constexpr std::int32_t record_limit = std::numeric_limits<std::int16_t>::max();

}  // namespace

std::int32_t rows_to_capture(std::int32_t rows_entered, bool upper_hemisphere_only) {
    if (!upper_hemisphere_only) return rows_entered;
    return rows_entered / 2 + (rows_entered % 2 > 0 ? 1 : 0);
}

bool grid_is_acceptable(const DialogValues& values) {
    if (values.columns < 1 || values.rows < 1) return false;
    return values.columns <= record_limit && rows_to_capture(values.rows, values.upper_hemisphere_only) <= record_limit;
}

void apply_dialog_values(const DialogValues& values, CaptureSettings& settings) {
    settings.columns = values.columns;
    settings.rows = values.rows;
    settings.stereo_method = values.stereo_method;
    settings.half_parallax = values.parallax * 0.5f;
    settings.stereo = values.stereo;
    settings.light_follows = values.light_follows;
    // The rows as entered span 0 to 180 degrees; a single row is one ring and is never tilted.
    settings.row_step = values.rows > 1 ? static_cast<float>(180.0 / (values.rows - 1)) : 0.0f;
    settings.column_step = static_cast<float>(360.0 / values.columns);
    settings.rows = rows_to_capture(values.rows, values.upper_hemisphere_only);
    settings.total_frames = settings.rows * settings.columns;
}
