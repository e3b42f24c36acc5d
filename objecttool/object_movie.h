// An object movie opened for the tool: its video track, its object record and
// controller type, and the bytes of each view's frame.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "medialayer/movie_api.h"
#include "objecttool/object_record.h"

namespace objecttool {

std::string fourcc_text(std::uint32_t code);

// Larger frames are refused before any picture is allocated (8192 x 8192).
constexpr std::uint64_t max_frame_pixels = std::uint64_t(1) << 26;

class ObjectMovie {
public:
    // Throws tool_error with one sentence when the file cannot be read as a movie.
    explicit ObjectMovie(const std::string& path);

    const std::string& path() const { return path_; }
    medialayer::MovieReader& reader() const { return *reader_; }
    // The first video track, or null.
    const medialayer::TrackInfo* video() const;
    std::size_t video_index() const { return video_index_; }
    const std::optional<ObjectRecord>& record() const { return record_; }
    // True when a 'NAVG' item exists but is too short to hold the record.
    bool record_damaged() const { return record_damaged_; }
    const std::optional<std::uint32_t>& controller_type() const { return controller_type_; }

    // What sheet and web need, checked once: a video track in one format with
    // a frame for every view of the record's grid. Throws tool_error.
    void require_object_grid();
    int columns() const { return record_->columns; }
    // Complete rows of frames; fewer than the record states when a capture stopped early.
    int rows() const { return rows_; }
    const medialayer::SampleDescription& format() const { return video()->descriptions.front(); }
    // The encoded frame of the view at (column, row). Throws tool_error.
    std::vector<std::uint8_t> frame(int column, int row) const;
    std::uint32_t frame_sample(int column, int row) const;
    // The encoded bytes of one video sample, by its index. Throws tool_error.
    std::vector<std::uint8_t> sample(std::uint32_t index) const;

private:
    std::string path_;
    std::unique_ptr<medialayer::MovieReader> reader_;
    std::size_t video_index_ = 0;
    bool has_video_ = false;
    std::optional<ObjectRecord> record_;
    bool record_damaged_ = false;
    std::optional<std::uint32_t> controller_type_;
    int rows_ = 0;
};

// A movie's error code as the end of a sentence about `path`.
std::string movie_error_sentence(const std::string& path, medialayer::OSErr err);

}  // namespace objecttool
