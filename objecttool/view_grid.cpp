#include "objecttool/view_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "objecttool/tool_error.h"

namespace objecttool {

namespace {

// As many views as a track can hold samples.
constexpr std::uint64_t max_views = std::uint64_t(1) << 24;

void require_one_row(std::uint64_t views, int columns, const std::string& path) {
    if (views < std::uint64_t(columns))
        throw tool_error(path + " holds " + std::to_string(views) + " views, fewer than one row of " +
                         std::to_string(columns) + ".");
}

void require_grid(std::int64_t columns, std::int64_t rows, std::int64_t frames, const std::string& path) {
    if (columns < 1 || rows < 1 || frames < 1 || columns > 32767 || rows > 32767)
        throw tool_error(path + " has an object record with an empty grid (" + std::to_string(columns) + " x " +
                         std::to_string(rows) + ", " + std::to_string(frames) + " frames per view).");
}

}  // namespace

std::vector<double> spread_pans(double first, double last, int columns) {
    std::vector<double> pans;
    const double range = last - first;
    const bool whole_turn = std::fabs(range) == 360.0;
    for (int c = 0; c < columns; ++c)
        pans.push_back(columns <= 1 ? first : first + range / (whole_turn ? columns : columns - 1) * c);
    return pans;
}

std::vector<double> spread_tilts(double first, double last, int rows) {
    std::vector<double> tilts;
    for (int r = 0; r < rows; ++r) tilts.push_back(rows <= 1 ? first : first + (last - first) / (rows - 1) * r);
    return tilts;
}

int nearest_angle(const std::vector<double>& angles, double value, bool whole_turn) {
    int best = 0;
    double nearest = INFINITY;
    for (std::size_t i = 0; i < angles.size(); ++i) {
        double d = std::fabs(angles[i] - value);
        if (whole_turn) d = std::fmod(d, 360.0), d = std::min(d, 360.0 - d);
        if (d < nearest - 1e-9) nearest = d, best = int(i);
    }
    return best;
}

ViewGrid grid_from_navg(const ObjectRecord& record, std::uint32_t sample_count, std::int32_t time_scale,
                        const std::string& path) {
    // A loop size of 0 in older records means views of one frame.
    const int frames_per_view = record.frames_per_view == 0 ? 1 : record.frames_per_view;
    require_grid(record.columns, record.rows, frames_per_view, path);
    ViewGrid g;
    g.columns = record.columns;
    g.frames_per_view = frames_per_view;
    require_one_row(sample_count / std::uint64_t(g.frames_per_view), g.columns, path);
    const std::uint64_t complete = sample_count / (std::uint64_t(g.columns) * std::uint64_t(g.frames_per_view));
    g.rows = int(std::min<std::uint64_t>(complete, std::uint64_t(record.rows)));
    for (int c = 0; c < g.columns; ++c) g.pans.push_back(record.pan_at(c));
    for (int r = 0; r < g.rows; ++r) g.tilts.push_back(record.tilt_at(r));
    g.wrap_pan = record.pan_wraps();
    const double scale = time_scale > 0 ? time_scale : 600;
    g.step = record.frame_duration > 0 ? record.frame_duration / scale : 0.1;
    g.animation_step = g.step;
    g.animate = g.frames_per_view > 1;
    g.initial_column = record.initial_column();
    g.initial_row = std::min(record.initial_row(), g.rows - 1);
    for (std::uint32_t s = 0; s < std::uint32_t(g.rows * g.columns * g.frames_per_view); ++s) g.samples.push_back(s);
    return g;
}

ViewGrid grid_from_obji(const ObjectInfoRecord& record, const ImageTrackTimes& times, const std::string& path) {
    require_grid(record.columns, record.rows, 1, path);
    ViewGrid g;
    g.columns = int(record.columns);
    const int rows = int(record.rows);
    g.states = std::max(1, int(record.view_state_count));
    if (times.durations.empty()) throw tool_error(path + " has no image frames.");
    // Sample start times in media units, and each view's start mapped from movie time.
    std::vector<std::uint64_t> starts;
    std::uint64_t end = 0;
    for (std::uint32_t d : times.durations) starts.push_back(end), end += d;
    const double media_per_movie =
        times.movie_scale > 0 && times.media_scale > 0 ? double(times.media_scale) / times.movie_scale : 1.0;
    const std::uint64_t views = std::uint64_t(g.columns) * std::uint64_t(rows) * std::uint64_t(g.states);
    if (views > max_views)
        throw tool_error(path + " has an object record of " + std::to_string(views) + " views, more than this tool handles.");
    auto view_start = [&](std::uint64_t v) {
        // Without a view duration each sample is one view.
        if (record.view_duration == 0) return v < starts.size() ? starts[v] : end + v;
        const double t = std::round(double(v) * record.view_duration * media_per_movie);
        return t < 0x1p63 ? std::uint64_t(t) : UINT64_MAX;
    };
    auto sample_at = [&](std::uint64_t t) {
        return std::uint32_t(std::upper_bound(starts.begin(), starts.end(), t) - starts.begin() - 1);
    };
    std::uint64_t present = 0;  // views whose start lies within the track
    while (present < views && view_start(present) < end) ++present;
    require_one_row(present, g.columns, path);
    const std::uint64_t per_state = std::uint64_t(g.columns) * std::uint64_t(rows);
    // A short track keeps its complete view states, or the complete rows of the first.
    if (present < views) g.states = int(std::max<std::uint64_t>(1, present / per_state));
    g.rows = present >= per_state ? rows : int(present / std::uint64_t(g.columns));
    // Frames of a view: the samples starting before the next view does.
    const std::uint32_t first = sample_at(view_start(0));
    const std::uint32_t next = sample_at(std::min(view_start(1), end - 1));
    g.frames_per_view = view_start(1) >= end ? int(starts.size() - first) : std::max<int>(1, int(next - first));
    const std::uint64_t total = std::uint64_t(g.states) * g.rows * g.columns;
    if (total * std::uint64_t(g.frames_per_view) > max_views)
        throw tool_error(path + " has " + std::to_string(g.frames_per_view) + " frames in each of its " +
                         std::to_string(total) + " views, more than this tool handles.");
    g.samples.reserve(std::size_t(total * std::uint64_t(g.frames_per_view)));
    for (int s = 0; s < g.states; ++s)
        for (int r = 0; r < g.rows; ++r)
            for (int c = 0; c < g.columns; ++c) {
                const std::uint64_t v = (std::uint64_t(s) * rows + r) * g.columns + c;
                const std::uint32_t at = sample_at(view_start(v));
                const std::uint64_t stop = v + 1 < views ? view_start(v + 1) : end;
                for (int k = 0; k < g.frames_per_view; ++k) {
                    const std::uint32_t sample = std::min<std::uint32_t>(at + std::uint32_t(k), std::uint32_t(starts.size() - 1));
                    // A view with fewer frames than the first repeats its last.
                    g.samples.push_back(k == 0 || starts[sample] < stop ? sample : g.samples.back());
                }
            }
    g.pans = spread_pans(record.min_pan, record.max_pan, g.columns);
    g.tilts = spread_tilts(record.min_tilt, record.max_tilt, rows);
    g.tilts.resize(std::size_t(g.rows));
    g.wrap_pan = record.control_settings & wrap_pan;
    g.wrap_tilt = record.control_settings & wrap_tilt;
    g.reverse_pan = record.control_settings & reverse_horizontal;
    g.reverse_tilt = record.control_settings & reverse_vertical;
    g.swap_axes = record.control_settings & swap_horizontal_vertical;
    g.animate = (record.animation_settings & animate_view_frames) && g.frames_per_view > 1;
    const double media_scale = times.media_scale > 0 ? times.media_scale : 600;
    // Frame rates players could not play (or none) give way to the frames' own durations.
    g.animation_step = record.frame_rate >= 0.1 && record.frame_rate <= 1000 ? 1.0 / record.frame_rate
                                                                              : times.durations[first] / media_scale;
    const double view_seconds = times.movie_scale > 0 ? double(record.view_duration) / times.movie_scale : 0;
    g.step = g.frames_per_view == 1 && view_seconds >= 0.02 && view_seconds <= 2 ? view_seconds : 0.1;
    g.initial_column = nearest_angle(g.pans, record.default_pan, g.wrap_pan);
    g.initial_row = nearest_angle(g.tilts, record.default_tilt, false);
    g.default_state = std::clamp(int(record.default_view_state) - 1, 0, g.states - 1);
    const int pressed = int(record.mouse_down_view_state) - 1;
    if (pressed >= 0 && pressed < g.states && pressed != g.default_state) g.mouse_down_state = pressed;
    return g;
}

}  // namespace objecttool
