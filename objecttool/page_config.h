// The data the web page's viewer reads: the grid, the opening view, how the
// controls behave and the size of each frame in the page's frame data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "objecttool/object_movie.h"

namespace objecttool {

// How a stereo movie's double-width frames hold the eyes.
enum class StereoLayout {
    none,      // not stereo
    parallel,  // left eye in the left half
    cross,     // right eye in the left half
};

struct PageConfigOptions {
    StereoLayout stereo = StereoLayout::none;
    bool autoplay = false;                   // start spinning once loaded (never with reduced motion)
    // Bytes of each frame in the page's frame order (ObjectMovie::page_samples):
    // ((state * rows + row) * columns + column) * framesPerView + k.
    std::vector<std::size_t> frame_sizes;
    std::uint8_t key = 0;                    // the frame data's XOR key (see page_key)
};

// The opening view the page shows before its script runs; page_config's column and row.
struct OpeningView {
    int column = 0;
    int row = 0;
};
OpeningView opening_view(const ObjectMovie& movie);

// Needs require_object_grid() to have passed.
nlohmann::ordered_json page_config(ObjectMovie& movie, const PageConfigOptions& options);

}  // namespace objecttool
