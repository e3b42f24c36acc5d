#include "objecttool/object_movie.h"

#include <algorithm>

#include "objecttool/movie_shape.h"
#include "objecttool/tool_error.h"
#include "quicktime/qt_types.h"

namespace objecttool {

namespace {

constexpr std::uint32_t navg_type = four_cc("NAVG");
constexpr std::uint32_t ctyp_type = four_cc("ctyp");
constexpr std::uint32_t video_type = four_cc("vide");

std::uint32_t be32(const std::vector<std::uint8_t>& b) {
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
}

}  // namespace

std::string fourcc_text(std::uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((code >> shift) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

std::string movie_error_sentence(const std::string& path, medialayer::OSErr err) {
    if (err != fnfErr && err != permErr)
        if (const std::optional<std::string> problem = movie_shape_problem(path)) return path + *problem;
    switch (err) {
    case fnfErr: return path + " does not exist.";
    case permErr: return path + " cannot be read: permission denied.";
    case couldNotResolveDataRef:
    case badDataRefIndex: return path + " refers to media in another file that cannot be found.";
    case memFullErr: return path + " claims a movie atom or sample tables larger than this tool reads; it is probably damaged.";
    case invalidMovie:
    case eofErr: return path + " is damaged: its atoms or sample tables do not hold together.";
    default: return path + " cannot be read as a QuickTime movie (error " + std::to_string(err) + ").";
    }
}

ObjectMovie::ObjectMovie(const std::string& path) : path_(path) {
    if (medialayer::OSErr err = medialayer::MovieReader::open(path, reader_)) throw tool_error(movie_error_sentence(path, err));
    const auto& tracks = reader_->tracks();
    for (std::size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].media_type == video_type) {
            video_index_ = i;
            has_video_ = true;
            break;
        }
    for (const auto& item : reader_->user_data()) {
        if (item.type == navg_type && !record_ && !record_damaged_) {
            record_ = ObjectRecord::parse(item.data);
            record_damaged_ = !record_;
        } else if (item.type == ctyp_type && !controller_type_ && item.data.size() >= 4) {
            controller_type_ = be32(item.data);
        }
    }
}

const medialayer::TrackInfo* ObjectMovie::video() const {
    return has_video_ ? &reader_->tracks()[video_index_] : nullptr;
}

void ObjectMovie::require_object_grid() {
    const medialayer::TrackInfo* track = video();
    if (!track || track->sample_count == 0) throw tool_error(path_ + " has no video frames.");
    if (!record_)
        throw tool_error(path_ + (record_damaged_ ? " has a damaged object record ('NAVG' item shorter than 48 bytes)."
                                                  : " is not an object movie: it has no object record ('NAVG' item)."));
    if (record_->columns < 1 || record_->rows < 1 || record_->frames_per_view < 1)
        throw tool_error(path_ + " has an object record with an empty grid (" + std::to_string(record_->columns) + " x " +
                         std::to_string(record_->rows) + ", " + std::to_string(record_->frames_per_view) +
                         " frames per view).");
    if (track->descriptions.size() != 1)
        throw tool_error(path_ + " stores its frames in " + std::to_string(track->descriptions.size()) +
                         " formats; this tool reads movies with one.");
    const auto& d = track->descriptions.front();
    if (d.width == 0 || d.height == 0) throw tool_error(path_ + " gives its frames no size.");
    if (std::uint64_t(d.width) * d.height > max_frame_pixels)
        throw tool_error(path_ + " has frames of " + std::to_string(d.width) + " x " + std::to_string(d.height) +
                         " pixels, more than this tool handles.");
    const std::uint64_t per_row = std::uint64_t(record_->columns) * std::uint64_t(record_->frames_per_view);
    const std::uint64_t complete = track->sample_count / per_row;
    if (complete == 0)
        throw tool_error(path_ + " holds " + std::to_string(track->sample_count) + " frames, fewer than one row of " +
                         std::to_string(record_->columns) + " views.");
    rows_ = int(std::min<std::uint64_t>(complete, std::uint64_t(record_->rows)));
}

std::uint32_t ObjectMovie::frame_sample(int column, int row) const {
    return std::uint32_t((row * columns() + column) * record_->frames_per_view);
}

std::vector<std::uint8_t> ObjectMovie::frame(int column, int row) const { return sample(frame_sample(column, row)); }

std::vector<std::uint8_t> ObjectMovie::sample(std::uint32_t index) const {
    std::vector<std::uint8_t> bytes;
    std::uint32_t duration = 0;
    if (medialayer::OSErr err = reader_->read_sample(video_index_, index, bytes, duration))
        throw tool_error(path_ + ": frame " + std::to_string(index + 1) + " cannot be read (error " +
                         std::to_string(err) + ").");
    return bytes;
}

}  // namespace objecttool
