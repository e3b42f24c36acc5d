// Building and editing movies in memory: new tracks and media, segments
// inserted by reference, copied track settings.
#include <algorithm>
#include <limits>
#include <optional>

#include "file_io.h"
#include "movie_model.h"
#include "time_math.h"

namespace medialayer {
namespace {

// The edits a track plays, making the implicit "whole media once" explicit.
// Callers have checked that the track's duration fits.
std::vector<EditEntry> effective_edits(const TrackModel& track, TimeScale movie_scale) {
    if (!track.edits.empty() || !track.media) return track.edits;
    std::int64_t d = track.duration(movie_scale);
    if (d == 0) return {};
    return {EditEntry{d, 0, 0x10000}};
}

// The destination media's index (1-based) of a data reference equal to `ref`, adding it when new.
std::uint16_t adopt_data_ref(MediaModel& media, const DataRef& ref) {
    std::string wanted = normalized_path(ref.path);
    for (std::size_t i = 0; i < media.data_refs.size(); ++i)
        if (normalized_path(media.data_refs[i].path) == wanted) return std::uint16_t(i + 1);
    DataRef copy = ref;
    copy.self = false;
    media.data_refs.push_back(copy);
    return std::uint16_t(media.data_refs.size());
}

std::uint32_t adopt_description(MediaModel& media, const SampleDescriptionRecord& d) {
    for (std::size_t i = 0; i < media.descriptions.size(); ++i)
        if (media.descriptions[i] == d) return std::uint32_t(i + 1);
    media.descriptions.push_back(d);
    return std::uint32_t(media.descriptions.size());
}

// Splits the edit list at movie time `t` and returns the index where new edits
// go; nothing when the split edit's media time would not fit. The edits'
// durations add up within 64 bits.
std::optional<std::size_t> split_edits_at(std::vector<EditEntry>& edits, std::int64_t t, TimeScale movie_scale,
                                          TimeScale media_scale) {
    std::int64_t start = 0;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        if (t == start) return i;
        std::int64_t end = start + edits[i].duration;
        if (t < end) {
            EditEntry tail = edits[i];
            std::int64_t head = t - start;
            edits[i].duration = head;
            tail.duration -= head;
            if (tail.media_time >= 0) {
                const CheckedTime skip = rescale_down(head, movie_scale, media_scale);
                const CheckedTime media_time = skip ? checked_add(tail.media_time, *skip) : std::nullopt;
                if (!media_time) return std::nullopt;
                tail.media_time = *media_time;
            }
            edits.insert(edits.begin() + std::ptrdiff_t(i) + 1, tail);
            return i + 1;
        }
        start = end;
    }
    return edits.size();
}

}  // namespace

void init_movie(MovieModel& movie, const std::string& file_path, TimeScale time_scale) {
    movie = MovieModel{};
    movie.header.time_scale = time_scale > 0 ? time_scale : 600;
    movie.header.creation_time = movie.header.modification_time = mac_time_now();
    movie.file_path = file_path;
}

TrackModel& add_video_track(MovieModel& movie, Fixed width, Fixed height, std::int16_t volume) {
    auto track = std::make_unique<TrackModel>();
    std::uint32_t id = std::max<std::uint32_t>(movie.header.next_track_id, 1);
    for (const auto& t : movie.tracks) id = std::max(id, t->id + 1);
    track->id = id;
    movie.header.next_track_id = id + 1;
    track->width = width;
    track->height = height;
    track->volume = volume;
    track->creation_time = track->modification_time = mac_time_now();
    movie.tracks.push_back(std::move(track));
    return *movie.tracks.back();
}

OSErr create_track_media(const MovieModel& movie, TrackModel& track, OSType type, TimeScale time_scale,
                         MediaModel** out) {
    if (time_scale <= 0) return paramErr;
    auto media = std::make_unique<MediaModel>();
    media->type = type;
    media->time_scale = time_scale;
    media->creation_time = media->modification_time = mac_time_now();
    if (type != fourcc("vide")) media->handler_name = "Apple Media Handler";
    media->data_refs.push_back(DataRef{true, fourcc("alis"), movie.file_path});
    track.media = std::move(media);
    track.edits.clear();
    if (out) *out = track.media.get();
    return noErr;
}

OSErr insert_track_segment(const MovieModel& src_movie, const TrackModel& src, TimeValue src_start,
                           TimeValue src_duration, const MovieModel& dst_movie, TrackModel& dst,
                           TimeValue dst_start) {
    if (!src.media) return invalidTrack;
    if (!dst.media) return invalidMedia;
    if (src_start < 0 || dst_start < 0) return invalidTime;
    if (src_duration < 0) return invalidDuration;
    const TimeScale src_scale = src_movie.header.time_scale, dst_scale = dst_movie.header.time_scale;
    const MediaModel& from = *src.media;
    MediaModel& to = *dst.media;
    const CheckedTime src_total = src.checked_duration(src_scale);
    const CheckedTime dst_total = dst.checked_duration(dst_scale);
    if (!src_total || !dst_total) return invalidDuration;
    if (src_start + std::int64_t(src_duration) > *src_total) return invalidDuration;
    if (dst_start > *dst_total) return invalidTime;
    if (src_duration == 0) return noErr;

    // Work on copies so a failure leaves the destination as it was.
    MediaModel staged_refs_only;
    std::vector<EditEntry> dst_edits = effective_edits(dst, dst_scale);
    std::vector<SampleEntry> added;
    std::vector<DataRef> refs = to.data_refs;
    std::vector<SampleDescriptionRecord> descriptions = to.descriptions;
    std::vector<EditEntry> new_edits;
    std::int64_t to_media_end = to.duration();
    CheckedTime dst_new_total = dst_total;  // what the destination plays once the segment is in

    staged_refs_only.data_refs = std::move(refs);
    staged_refs_only.descriptions = std::move(descriptions);

    const std::int64_t a = src_start, b = src_start + std::int64_t(src_duration);
    std::int64_t edit_start = 0;
    for (const auto& e : effective_edits(src, src_scale)) {
        std::int64_t lo = std::max(a, edit_start), hi = std::min(b, edit_start + e.duration);
        if (lo < hi) {
            // Hostile time scales and edits can take any of these past 64 bits: refused.
            const CheckedTime out_duration = rescale_up(hi - lo, src_scale, dst_scale);
            if (!out_duration || !(dst_new_total = checked_add(*dst_new_total, *out_duration)))
                return invalidDuration;
            if (e.media_time < 0) {
                new_edits.push_back({*out_duration, -1, 0x10000});
            } else {
                const CheckedTime into = rescale_down(lo - edit_start, src_scale, from.time_scale);
                const CheckedTime length = rescale_up(hi - lo, src_scale, from.time_scale);
                const CheckedTime m0 = into ? checked_add(e.media_time, *into) : std::nullopt;
                const CheckedTime m1 = m0 && length ? checked_add(*m0, *length) : std::nullopt;
                if (!m1) return invalidDuration;
                std::int64_t first = from.sample_at(*m0);
                std::int64_t last = from.sample_at(std::min(*m1, from.duration()) - 1);
                if (first < 0 || last < first) return invalidDuration;
                std::int64_t first_start = 0;
                for (std::int64_t i = 0; i < first; ++i) first_start += from.samples[std::size_t(i)].duration;
                std::int64_t segment_media_start = to_media_end;
                for (std::int64_t i = first; i <= last; ++i) {
                    const SampleEntry& s = from.samples[std::size_t(i)];
                    if (s.data_ref_index < 1 || s.data_ref_index > from.data_refs.size()) return badDataRefIndex;
                    if (s.description_index < 1 || s.description_index > from.descriptions.size())
                        return invalidMedia;
                    SampleEntry copy = s;
                    copy.data_ref_index = adopt_data_ref(staged_refs_only, from.data_refs[s.data_ref_index - 1]);
                    copy.description_index =
                        adopt_description(staged_refs_only, from.descriptions[s.description_index - 1]);
                    const CheckedTime duration = rescale_up(s.duration, from.time_scale, to.time_scale);
                    if (!duration || *duration > std::numeric_limits<std::uint32_t>::max()) return invalidDuration;
                    copy.duration = std::uint32_t(*duration);
                    to_media_end += copy.duration;
                    added.push_back(copy);
                }
                const CheckedTime skip = rescale_down(*m0 - first_start, from.time_scale, to.time_scale);
                const CheckedTime media_start = skip ? checked_add(segment_media_start, *skip) : std::nullopt;
                if (!media_start) return invalidDuration;
                new_edits.push_back({*out_duration, *media_start, e.media_rate});
            }
        }
        edit_start += e.duration;
    }

    const std::optional<std::size_t> at = split_edits_at(dst_edits, dst_start, dst_scale, to.time_scale);
    if (!at) return invalidDuration;
    dst_edits.insert(dst_edits.begin() + std::ptrdiff_t(*at), new_edits.begin(), new_edits.end());
    to.data_refs = std::move(staged_refs_only.data_refs);
    to.descriptions = std::move(staged_refs_only.descriptions);
    to.samples.insert(to.samples.end(), added.begin(), added.end());
    dst.edits = std::move(dst_edits);
    dst.modification_time = mac_time_now();
    return noErr;
}

void copy_track_settings(const TrackModel& src, TrackModel& dst) {
    dst.matrix = src.matrix;
    dst.layer = src.layer;
    dst.alternate_group = src.alternate_group;
    dst.volume = src.volume;
    dst.width = src.width;
    dst.height = src.height;
    dst.flags = src.flags;
    if (src.media && dst.media) {
        dst.media->language = src.media->language;
        dst.media->quality = src.media->quality;
        dst.media->graphics_mode = src.media->graphics_mode;
        std::copy(std::begin(src.media->opcolor), std::end(src.media->opcolor), dst.media->opcolor);
    }
}

}  // namespace medialayer
