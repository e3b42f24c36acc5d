#include "objecttool/page_config.h"

#include <algorithm>

namespace objecttool {

namespace {

const char* layout_name(StereoLayout layout) {
    switch (layout) {
    case StereoLayout::parallel: return "parallel";
    case StereoLayout::cross: return "cross";
    default: return nullptr;
    }
}

}  // namespace

OpeningView opening_view(const ObjectMovie& movie) {
    return {movie.grid().initial_column, std::min(movie.grid().initial_row, movie.rows() - 1)};
}

nlohmann::ordered_json page_config(ObjectMovie& movie, const PageConfigOptions& options) {
    using json = nlohmann::ordered_json;
    const ViewGrid& grid = movie.grid();
    const OpeningView view = opening_view(movie);
    const auto& format = movie.format();
    json states = json::array();
    for (int s = 0; s < grid.states; ++s) states.push_back({{"name", "View state " + std::to_string(s + 1)}});
    json config = {
        {"columns", grid.columns},
        {"rows", grid.rows},
        {"wrap", grid.wrap_pan},
        {"column", view.column},
        {"row", view.row},
        {"width", format.width},
        {"height", format.height},
        {"stereo", layout_name(options.stereo) ? json(layout_name(options.stereo)) : json(nullptr)},
        {"autoplay", options.autoplay},
        {"step", grid.step},
        {"frames", options.frame_sizes},
        {"key", options.key},
        {"wrapTilt", grid.wrap_tilt},
        {"reversePan", grid.reverse_pan},
        {"reverseTilt", grid.reverse_tilt},
        {"swapAxes", grid.swap_axes},
        {"pans", grid.pans},
        {"tilts", grid.tilts},
        {"framesPerView", grid.frames_per_view},
        {"animationStep", grid.animation_step},
        {"animate", grid.animate},
        {"states", states},
        {"defaultState", grid.default_state},
        {"mouseDownState", grid.mouse_down_state ? json(*grid.mouse_down_state) : json(nullptr)},
    };
    return config;
}

}  // namespace objecttool
