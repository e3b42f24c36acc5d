#include "objecttool/object_movie.h"

#include <algorithm>

#include "objecttool/movie_shape.h"
#include "objecttool/qt_atom_container.h"
#include "objecttool/tool_error.h"
#include "quicktime/qt_types.h"

namespace objecttool {

namespace {

constexpr std::uint32_t navg_type = four_cc("NAVG");
constexpr std::uint32_t ctyp_type = four_cc("ctyp");
constexpr std::uint32_t video_type = four_cc("vide");
constexpr std::uint32_t qtvr_type = four_cc("qtvr");
constexpr std::uint32_t object_type = four_cc("obje");
constexpr std::uint32_t panorama_type = four_cc("pano");
constexpr std::uint32_t image_reference = four_cc("imgt");
constexpr std::uint32_t hot_spot_reference = four_cc("hott");

std::uint32_t be32(const std::vector<std::uint8_t>& b) {
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
}

const medialayer::TrackReference* reference(const medialayer::TrackInfo& track, std::uint32_t type) {
    for (const auto& r : track.references)
        if (r.type == type && !r.track_ids.empty()) return &r;
    return nullptr;
}

std::optional<std::size_t> track_with_id(const std::vector<medialayer::TrackInfo>& tracks, std::uint32_t id) {
    for (std::size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].track_id == id) return i;
    return std::nullopt;
}

// The 1-based 'imgt' entry an 'imtr' atom of the object sample chooses, else the first.
std::size_t chosen_image_reference(const QtAtom& root) {
    for (const auto& atom : root.children) {
        if (atom.type != four_cc("imtr") || atom.data.size() < 10) continue;
        const std::uint32_t type = be32(atom.data);
        const std::uint32_t index = be32({atom.data.begin() + 6, atom.data.begin() + 10});
        if (type == image_reference && index >= 1) return index;
    }
    return 1;
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

ObjectMovie::ObjectMovie(const std::string& path) : path_(path), source_(open_movie_source(path)) {
    for (const auto& item : reader().user_data()) {
        if (item.type == navg_type && !record_ && !record_damaged_) {
            record_ = ObjectRecord::parse(item.data);
            record_damaged_ = !record_;
        } else if (item.type == ctyp_type && !controller_type_ && item.data.size() >= 4) {
            controller_type_ = be32(item.data);
        }
    }
    find_qtvr_tracks();
    const auto& tracks = reader().tracks();
    // A 2.x object shows the image track its object track names; hot spots and previews are other video tracks.
    const auto* hot_spots = qtvr_.object ? reference(tracks[*qtvr_.object], hot_spot_reference) : nullptr;
    auto is_hot_spot = [&](std::uint32_t id) {
        return hot_spots && std::find(hot_spots->track_ids.begin(), hot_spots->track_ids.end(), id) != hot_spots->track_ids.end();
    };
    for (std::size_t i = 0; i < tracks.size() && !has_video_; ++i)
        if (tracks[i].media_type == video_type && !is_hot_spot(tracks[i].track_id)) video_index_ = i, has_video_ = true;
    if (!qtvr_.object) return;
    const auto* images = reference(tracks[*qtvr_.object], image_reference);
    if (!images) return;
    const std::uint32_t id = images->track_ids[std::min(qtvr_.image_reference, images->track_ids.size()) - 1];
    if (auto index = track_with_id(tracks, id); index && tracks[*index].media_type == video_type)
        video_index_ = *index, has_video_ = true;
}

void ObjectMovie::find_qtvr_tracks() {
    const auto& tracks = reader().tracks();
    bool panorama_track = false;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i].media_type == qtvr_type && !qtvr_.qtvr) qtvr_.qtvr = i;
        if (tracks[i].media_type == object_type && !qtvr_.object) qtvr_.object = i;
        panorama_track = panorama_track || tracks[i].media_type == panorama_type;
    }
    if (qtvr_.qtvr) {
        const auto& vr = tracks[*qtvr_.qtvr];
        qtvr_.nodes = vr.sample_count;
        // The QTVR track names its node tracks; a named object track wins over the first found.
        if (const auto* objects = reference(vr, object_type))
            if (auto index = track_with_id(tracks, objects->track_ids.front())) qtvr_.object = index;
        panorama_track = panorama_track || reference(vr, panorama_type);
    }
    const bool stpn = controller_type_ && (*controller_type_ == four_cc("STpn") || *controller_type_ == four_cc("stpn"));
    if (qtvr_.object) {
        std::vector<std::uint8_t> bytes;
        std::uint32_t duration = 0;
        if (tracks[*qtvr_.object].sample_count > 0 && reader().read_sample(*qtvr_.object, 0, bytes, duration) == 0)
            if (auto container = QtAtomContainer::parse(bytes)) {
                if (const QtAtom* obji = container->root.child(four_cc("obji"))) qtvr_.info = ObjectInfoRecord::parse(obji->data);
                qtvr_.image_reference = chosen_image_reference(container->root);
            }
        qtvr_.info_damaged = !qtvr_.info;
    }
    if ((panorama_track || stpn) && !qtvr_.info && !record_) throw tool_error(path_ + " is a panorama, not an object movie.");
}

const medialayer::TrackInfo* ObjectMovie::video() const {
    return has_video_ ? &reader().tracks()[video_index_] : nullptr;
}

void ObjectMovie::require_object_grid() {
    const medialayer::TrackInfo* track = video();
    if (!track || track->sample_count == 0) throw tool_error(path_ + " has no video frames.");
    if (qtvr_.info_damaged && !record_)
        throw tool_error(path_ + " has a damaged object record (its object track holds no readable 'obji' atom).");
    if (!qtvr_.info && !record_)
        throw tool_error(path_ + (record_damaged_ ? " has a damaged object record ('NAVG' item shorter than 48 bytes)."
                                                  : " is not an object movie: it has no object record ('NAVG' item or 'obji' atom)."));
    if (track->descriptions.size() != 1)
        throw tool_error(path_ + " stores its frames in " + std::to_string(track->descriptions.size()) +
                         " formats; this tool reads movies with one.");
    const auto& d = track->descriptions.front();
    if (d.width == 0 || d.height == 0) throw tool_error(path_ + " gives its frames no size.");
    if (std::uint64_t(d.width) * d.height > max_frame_pixels)
        throw tool_error(path_ + " has frames of " + std::to_string(d.width) + " x " + std::to_string(d.height) +
                         " pixels, more than this tool handles.");
    if (qtvr_.info) {
        ImageTrackTimes times;
        if (reader().sample_durations(video_index_, times.durations))
            throw tool_error(path_ + ": the image track's sample times cannot be read.");
        times.media_scale = track->time_scale;
        times.movie_scale = reader().time_scale();
        grid_ = grid_from_obji(*qtvr_.info, times, path_);
    } else {
        grid_ = grid_from_navg(*record_, track->sample_count, track->time_scale, path_);
    }
}

std::vector<std::uint8_t> ObjectMovie::sample(std::uint32_t index) const {
    std::vector<std::uint8_t> bytes;
    std::uint32_t duration = 0;
    if (medialayer::OSErr err = reader().read_sample(video_index_, index, bytes, duration))
        throw tool_error(path_ + ": frame " + std::to_string(index + 1) + " cannot be read (error " + std::to_string(err) + ").");
    return bytes;
}

std::vector<std::uint8_t> ObjectMovie::frame(int column, int row) const { return sample(frame_sample(column, row)); }

}  // namespace objecttool
