// From the dialog's values to the capture settings, and the grids refused.
#pragma once

#include <cstdint>

#include "capture/capture_settings.h"
#include "capture/parameter_dialog.h"

// Rows actually captured: with the upper hemisphere only, half of them
// rounded up, so 13 rows (0 to 180 degrees) become 7 (0 to 90 degrees).
std::int32_t rows_to_capture(std::int32_t rows_entered, bool upper_hemisphere_only);

// Whether the grid can be captured and described by the object movie's
// 16-bit record: at least one row and one column, and no more than it holds.
bool grid_is_acceptable(const DialogValues& values);

// Derives the settings of an acceptable grid; leaves the running counters alone.
void apply_dialog_values(const DialogValues& values, CaptureSettings& settings);
