// Where each view of an object lives among the image track's samples, and
// how the views are laid out and played: what sheet and web show, built from
// either record (1.0 'NAVG' or 2.x 'obji').
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "objecttool/object_info_record.h"
#include "objecttool/object_record.h"

namespace objecttool {

struct ViewGrid {
    int columns = 0;
    int rows = 0;                 // complete rows; fewer than the record's when a capture stopped early
    int states = 1;               // view states, each a whole grid
    int frames_per_view = 1;      // animation frames of each view
    std::vector<double> pans;     // degrees of each column
    std::vector<double> tilts;    // degrees of each row
    bool wrap_pan = false, wrap_tilt = false;
    bool reverse_pan = false, reverse_tilt = false, swap_axes = false;
    bool animate = false;         // the record asks views to play their frames
    double step = 0.1;            // seconds per view when spinning
    double animation_step = 0.1;  // seconds per animation frame
    int initial_column = 0, initial_row = 0;
    int default_state = 0;
    std::optional<int> mouse_down_state;
    // Sample of frame k of view (state, row, column) at ((state * rows + row) * columns + column) * frames_per_view + k.
    std::vector<std::uint32_t> samples;

    std::uint32_t sample(int state, int row, int column, int frame = 0) const {
        return samples[std::size_t(((state * rows + row) * columns + column) * frames_per_view + frame)];
    }
};

// The image track as the grid builders need it.
struct ImageTrackTimes {
    std::vector<std::uint32_t> durations;  // of each sample, media time units
    std::int32_t media_scale = 0;
    std::int32_t movie_scale = 0;
};

// Both throw tool_error naming `path` when the frames cannot fill one row.
ViewGrid grid_from_navg(const ObjectRecord& record, std::uint32_t sample_count, std::int32_t time_scale,
                        const std::string& path);
// Views are found by time: view v starts at v x view duration (movie time).
ViewGrid grid_from_obji(const ObjectInfoRecord& record, const ImageTrackTimes& times, const std::string& path);

// The grid step nearest to `value` in a list of angles (wrapping a whole turn when asked).
int nearest_angle(const std::vector<double>& angles, double value, bool whole_turn);
// Pans of `columns` views from `first` to `last`: a whole turn spreads them over 360 degrees, else ends included.
std::vector<double> spread_pans(double first, double last, int columns);
std::vector<double> spread_tilts(double first, double last, int rows);

}  // namespace objecttool
