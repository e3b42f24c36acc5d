// inspect: what an object movie holds and what object players will make of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "medialayer/movie_api.h"
#include "objecttool/object_info_record.h"
#include "objecttool/object_record.h"
#include "objecttool/view_grid.h"

namespace objecttool {

struct VideoSummary {
    std::size_t track_number = 0;  // 1-based
    std::uint32_t codec = 0;
    std::string codec_name;        // the description's compressor name
    int width = 0;
    int height = 0;
    int depth = 0;
    std::uint32_t sample_count = 0;
    std::int64_t duration = 0;     // media time units
    std::int32_t time_scale = 0;
    std::uint64_t sample_bytes = 0;
    bool self_contained = true;
};

// The QuickTime VR 2.x tracks (1-based track numbers) and their node count.
struct QtvrSummary {
    std::size_t qtvr_track = 0;     // 0: none
    std::size_t object_track = 0;
    std::size_t nodes = 0;
};

struct Inspection {
    std::string path;
    std::uint64_t file_size = 0;
    std::string wrapper;            // "MacBinary", "AppleSingle", "AppleDouble" or empty
    bool compressed_header = false; // the movie header was a zlib 'cmov'
    std::vector<medialayer::AtomLayout> atoms;
    int version = 0;                // 1: 'NAVG' object, 2: 'obji' object, 0: neither
    std::optional<ObjectRecord> record;
    std::optional<ObjectInfoRecord> object_info;
    std::optional<QtvrSummary> qtvr;
    std::optional<ViewGrid> grid;   // the views as sheet and web lay them out
    std::optional<std::uint32_t> controller_type;
    std::optional<VideoSummary> video;
    std::vector<std::string> warnings;
};

// Throws tool_error when the file cannot be read as a movie.
Inspection inspect_movie(const std::string& path);
std::string inspection_text(const Inspection& inspection);
std::string inspection_json(const Inspection& inspection);

}  // namespace objecttool
