#include "medialayer/dispatcher/interesting_time.h"

#include <algorithm>

#include "medialayer/src/time_math.h"

namespace medialayer::dispatch {
namespace {

// Divisions by a positive b, rounded up and down, that cannot overflow.
std::int64_t ceil_div(std::int64_t a, std::int64_t b) { return a / b + (a % b > 0 ? 1 : 0); }
std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

// a * b / c rounded up or down (c > 0); nothing when the product does not fit.
CheckedTime scaled(std::int64_t a, std::int64_t b, std::int64_t c, bool up) {
    const CheckedTime product = checked_mul(a, b);
    if (!product) return std::nullopt;
    return up ? ceil_div(*product, c) : floor_div(*product, c);
}

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
// Times that would not fit in 64 bits (hostile scales and edits) end the walk.
std::optional<InterestingTime> next_in_track(const TrackModel& track, TimeScale movie_scale, std::int64_t time,
                                             bool sync_only) {
    const MediaModel& media = *track.media;
    if (media.time_scale <= 0 || movie_scale <= 0) return std::nullopt;
    std::vector<EditEntry> edits = track.edits;
    if (edits.empty()) {
        const CheckedTime whole = scaled(media.duration(), movie_scale, media.time_scale, true);
        if (!whole) return std::nullopt;
        edits.push_back({*whole, 0, 0x10000});
    }

    std::int64_t edit_start = 0;
    for (const EditEntry& edit : edits) {
        const CheckedTime end = checked_add(edit_start, edit.duration);
        if (!end) return std::nullopt;
        const std::int64_t edit_end = *end;
        // Each pass lands on a later sample boundary, so this ends within the edit.
        while (edit.media_time >= 0 && time < edit_end) {
            const std::int64_t at = std::max(time, edit_start);
            const CheckedTime into = scaled(at - edit_start, media.time_scale, movie_scale, false);
            const CheckedTime media_time = into ? checked_add(edit.media_time, *into) : std::nullopt;
            if (!media_time) return std::nullopt;
            const auto span = sample_covering(media, *media_time);
            if (!span) break;
            // A sample boundary in movie time, held within the edit.
            const auto to_movie = [&](std::int64_t t) -> CheckedTime {
                const CheckedTime offset = scaled(t - edit.media_time, movie_scale, media.time_scale, true);
                const CheckedTime moved = offset ? checked_add(edit_start, *offset) : std::nullopt;
                if (!moved) return std::nullopt;
                return std::clamp(*moved, edit_start, edit_end);
            };
            const CheckedTime start_in_movie = to_movie(span->start);
            const CheckedTime end_in_movie = to_movie(span->end);
            if (!start_in_movie || !end_in_movie) return std::nullopt;
            const std::int64_t span_start = *start_in_movie;
            const std::int64_t span_end = *end_in_movie;
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
