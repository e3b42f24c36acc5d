#include "medialayer/dispatcher/interesting_time.h"

#include <algorithm>

namespace medialayer::dispatch {
namespace {

std::int64_t ceil_div(std::int64_t a, std::int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }
std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

struct SampleSpan {
    std::int64_t start = 0;  // media time
    std::int64_t end = 0;
    bool sync = true;
};

std::optional<SampleSpan> sample_covering(const MediaModel& media, std::int64_t media_time) {
    std::int64_t start = 0;
    for (const SampleEntry& sample : media.samples) {
        const std::int64_t end = start + sample.duration;
        if (media_time >= start && media_time < end) return SampleSpan{start, end, sample.sync};
        start = end;
    }
    return std::nullopt;
}

// Walks one track's edits from `time` to the first qualifying sample start.
std::optional<InterestingTime> next_in_track(const TrackModel& track, TimeScale movie_scale, std::int64_t time,
                                             bool sync_only) {
    const MediaModel& media = *track.media;
    if (media.time_scale <= 0 || movie_scale <= 0) return std::nullopt;
    std::vector<EditEntry> edits = track.edits;
    if (edits.empty())
        edits.push_back({ceil_div(media.duration() * movie_scale, media.time_scale), 0, 0x10000});

    std::int64_t edit_start = 0;
    for (const EditEntry& edit : edits) {
        const std::int64_t edit_end = edit_start + edit.duration;
        // Each pass lands on a later sample boundary, so this ends within the edit.
        while (edit.media_time >= 0 && time < edit_end) {
            const std::int64_t at = std::max(time, edit_start);
            const std::int64_t media_time = edit.media_time + floor_div((at - edit_start) * media.time_scale, movie_scale);
            const auto span = sample_covering(media, media_time);
            if (!span) break;
            const auto to_movie = [&](std::int64_t t) {
                return std::clamp(edit_start + ceil_div((t - edit.media_time) * movie_scale, media.time_scale),
                                  edit_start, edit_end);
            };
            const std::int64_t span_start = to_movie(span->start);
            const std::int64_t span_end = to_movie(span->end);
            if (span_start == at && (span->sync || !sync_only)) return InterestingTime{at, span_end - at};
            if (span_end <= at) break;
            time = span_end;
        }
        edit_start = edit_end;
    }
    return std::nullopt;
}

}  // namespace

std::optional<InterestingTime> next_sample_start(const MovieModel& movie, std::int64_t time,
                                                 const std::vector<OSType>& media_types, bool sync_only) {
    std::optional<InterestingTime> best;
    for (const auto& track : movie.tracks) {
        if (!track->enabled() || !track->media) continue;
        if (!media_types.empty() &&
            std::find(media_types.begin(), media_types.end(), track->media->type) == media_types.end())
            continue;
        const auto found = next_in_track(*track, movie.header.time_scale, time, sync_only);
        if (!found) continue;
        if (!best || found->time < best->time || (found->time == best->time && found->duration < best->duration))
            best = found;
    }
    return best;
}

}  // namespace medialayer::dispatch
