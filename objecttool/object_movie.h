// An object movie opened for the tool: QuickTime VR 1.0 (one video track and
// a 'NAVG' record) or 2.x (QTVR, object and image tracks with an 'obji'
// record), its controller type, and where each view's frames are.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "medialayer/movie_api.h"
#include "objecttool/movie_source.h"
#include "objecttool/object_info_record.h"
#include "objecttool/object_record.h"
#include "objecttool/view_grid.h"

namespace objecttool {

std::string fourcc_text(std::uint32_t code);

// Larger frames are refused before any picture is allocated (8192 x 8192).
constexpr std::uint64_t max_frame_pixels = std::uint64_t(1) << 26;

// The QuickTime VR 2.x structure found in a movie.
struct QtvrTracks {
    std::optional<std::size_t> qtvr;    // track indexes, 0-based
    std::optional<std::size_t> object;
    std::size_t nodes = 0;              // samples of the QTVR track
    std::optional<ObjectInfoRecord> info;
    bool info_damaged = false;          // an object track without a readable 'obji'
    std::size_t image_reference = 1;    // which 'imgt' track shows the views (1-based)
};

class ObjectMovie {
public:
    // Throws tool_error with one sentence when the file cannot be read as a
    // movie, is a reference movie or a panorama.
    explicit ObjectMovie(const std::string& path);

    const std::string& path() const { return path_; }
    medialayer::MovieReader& reader() const { return *source_.reader; }
    const MovieSource& source() const { return source_; }
    // The image track: the 2.x object track's 'imgt' track, else the first video track; or null.
    const medialayer::TrackInfo* video() const;
    std::size_t video_index() const { return video_index_; }
    // The 1.0 record.
    const std::optional<ObjectRecord>& record() const { return record_; }
    // True when a 'NAVG' item exists but is too short to hold the record.
    bool record_damaged() const { return record_damaged_; }
    const QtvrTracks& qtvr() const { return qtvr_; }
    const std::optional<std::uint32_t>& controller_type() const { return controller_type_; }
    // 1 for a 'NAVG' object, 2 for an 'obji' one, 0 for neither.
    int object_version() const { return qtvr_.info ? 2 : record_ ? 1 : 0; }

    // What sheet and web need, checked once: an image track in one format with
    // frames for at least one row of views. Throws tool_error.
    void require_object_grid();
    const ViewGrid& grid() const { return grid_; }
    int columns() const { return grid_.columns; }
    int rows() const { return grid_.rows; }
    const medialayer::SampleDescription& format() const { return video()->descriptions.front(); }
    // The first frame of view (column, row) in the default view state.
    std::uint32_t frame_sample(int column, int row) const { return grid_.sample(grid_.default_state, row, column); }
    std::vector<std::uint8_t> frame(int column, int row) const;
    // Every frame in page order: ((state * rows + row) * columns + column) * frames per view + k.
    const std::vector<std::uint32_t>& page_samples() const { return grid_.samples; }
    // The bytes of a sample of the image track. Throws tool_error.
    std::vector<std::uint8_t> sample(std::uint32_t index) const;

private:
    void find_qtvr_tracks();

    std::string path_;
    MovieSource source_;
    std::size_t video_index_ = 0;
    bool has_video_ = false;
    std::optional<ObjectRecord> record_;
    bool record_damaged_ = false;
    QtvrTracks qtvr_;
    std::optional<std::uint32_t> controller_type_;
    ViewGrid grid_;
};

// A movie's error code as the end of a sentence about `path`.
std::string movie_error_sentence(const std::string& path, medialayer::OSErr err);

}  // namespace objecttool
