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
    const ObjectRecord& record = *movie.record();
    return {record.initial_column(), std::min(record.initial_row(), movie.rows() - 1)};
}

nlohmann::ordered_json page_config(ObjectMovie& movie, const PageConfigOptions& options) {
    using json = nlohmann::ordered_json;
    const ObjectRecord& record = *movie.record();
    const OpeningView view = opening_view(movie);
    const auto& format = movie.format();
    const double time_scale = movie.video()->time_scale > 0 ? movie.video()->time_scale : 600;
    json config = {
        {"columns", movie.columns()},
        {"rows", movie.rows()},
        {"wrap", record.pan_wraps()},
        {"column", view.column},
        {"row", view.row},
        {"width", format.width},
        {"height", format.height},
        {"stereo", layout_name(options.stereo) ? json(layout_name(options.stereo)) : json(nullptr)},
        {"autoplay", options.autoplay},
        {"step", record.frame_duration > 0 ? record.frame_duration / time_scale : 0.1},
        {"frames", options.frame_sizes},
        {"key", options.key},
    };
    return config;
}

}  // namespace objecttool
