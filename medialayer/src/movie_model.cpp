// Durations, time mapping and user data lists of the in-memory movie.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

#include "movie_model.h"
#include "time_math.h"

namespace medialayer {

std::int64_t MediaModel::duration() const {
    std::int64_t total = 0;
    for (const auto& s : samples) total += s.duration;
    return total;
}

std::int64_t MediaModel::sample_at(std::int64_t t) const {
    if (t < 0) return -1;
    std::int64_t start = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::int64_t end = start + samples[i].duration;
        if (t < end) return std::int64_t(i);
        start = end;
    }
    return -1;
}

CheckedTime TrackModel::checked_duration(TimeScale movie_scale) const {
    if (!edits.empty()) {
        CheckedTime total = 0;
        for (const auto& e : edits)
            if (total) total = checked_add(*total, e.duration);
        return total;
    }
    if (!media) return 0;
    return rescale_up(media->duration(), media->time_scale, movie_scale);
}

std::int64_t TrackModel::duration(TimeScale movie_scale) const {
    return checked_duration(movie_scale).value_or(std::numeric_limits<std::int64_t>::max());
}

std::int64_t MovieModel::duration() const {
    std::int64_t longest = 0;
    for (const auto& t : tracks) longest = std::max(longest, t->duration(header.time_scale));
    return longest;
}

TrackModel* MovieModel::track_by_id(std::uint32_t id) {
    for (auto& t : tracks)
        if (t->id == id) return t.get();
    return nullptr;
}

const UserDataItem* find_user_data(const std::vector<UserDataItem>& items, OSType type, int index) {
    if (index <= 0) index = 1;
    for (const auto& item : items)
        if (item.type == type && --index == 0) return &item;
    return nullptr;
}

OSErr set_user_data(std::vector<UserDataItem>& items, OSType type, const void* data, std::size_t size, int index) {
    if (size > 0 && data == nullptr) return paramErr;
    if (index < 0) return paramErr;
    std::vector<std::uint8_t> bytes(size);
    if (size) std::memcpy(bytes.data(), data, size);
    int wanted = index == 0 ? 1 : index;
    int seen = 0;
    for (auto& item : items) {
        if (item.type == type && ++seen == wanted) {
            item.data = std::move(bytes);
            return noErr;
        }
    }
    // Index 0 or one past the last item of that type adds a new one.
    if (index == 0 || wanted == seen + 1) {
        items.push_back({type, std::move(bytes)});
        return noErr;
    }
    return userDataItemNotFound;
}

std::int64_t sample_duration_at(const MediaModel& media, std::int64_t t) {
    std::int64_t i = media.sample_at(t);
    return i < 0 ? -1 : std::int64_t(media.samples[std::size_t(i)].duration);
}

std::int64_t track_to_media_time(const TrackModel& track, TimeScale movie_scale, std::int64_t t) {
    if (!track.media || t < 0) return -1;
    const auto& media = *track.media;
    if (track.edits.empty()) {
        const CheckedTime m = rescale_down(t, movie_scale, media.time_scale);
        return m && *m < media.duration() ? *m : -1;
    }
    std::int64_t start = 0;
    for (const auto& e : track.edits) {
        const CheckedTime end = checked_add(start, e.duration);
        if (!end) return -1;
        if (t < *end) {
            if (e.media_time < 0) return -1;
            const CheckedTime into = rescale_down(t - start, movie_scale, media.time_scale);
            const CheckedTime m = into ? checked_add(e.media_time, *into) : std::nullopt;
            return m ? *m : -1;
        }
        start = *end;
    }
    return -1;
}

std::unique_ptr<TrackModel> copy_track_header(const TrackModel& src) {
    auto track = std::make_unique<TrackModel>();
    track->id = src.id;
    track->flags = src.flags;
    track->creation_time = src.creation_time;
    track->modification_time = src.modification_time;
    track->layer = src.layer;
    track->alternate_group = src.alternate_group;
    track->volume = src.volume;
    track->matrix = src.matrix;
    track->width = src.width;
    track->height = src.height;
    track->edits = src.edits;
    track->user_data = src.user_data;
    return track;
}

std::unique_ptr<MediaModel> copy_media_header(const MediaModel& src) {
    auto media = std::make_unique<MediaModel>();
    media->type = src.type;
    media->time_scale = src.time_scale;
    media->language = src.language;
    media->quality = src.quality;
    media->creation_time = src.creation_time;
    media->modification_time = src.modification_time;
    media->handler_name = src.handler_name;
    media->data_handler_name = src.data_handler_name;
    media->graphics_mode = src.graphics_mode;
    std::copy(std::begin(src.opcolor), std::end(src.opcolor), media->opcolor);
    return media;
}

}  // namespace medialayer
