// Movie routines: play hints, track lookup, times, the sticky error, disposal.
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "medialayer/dispatcher/dispatcher_state.h"
#include "medialayer/dispatcher/interesting_time.h"
#include "medialayer/dispatcher/routines.h"

namespace medialayer::dispatch::routine {
namespace {

constexpr std::int32_t track_media_type = 1 << 0;
constexpr std::int32_t track_characteristic = 1 << 1;
constexpr std::int32_t track_enabled_only = 1 << 2;
constexpr OSType visual_characteristic = fourcc("eyes");
constexpr OSType audible_characteristic = fourcc("ears");

constexpr std::int16_t next_time_media_sample = 1 << 0;
constexpr std::int16_t next_time_sync_sample = 1 << 3;

MovieRecord* find_movie(Movie movie) {
    MovieRecord* record = state().handles.movie(movie);
    if (record == nullptr) raise_error(invalidMovie);
    return record;
}

bool has_characteristic(OSType media_type, OSType characteristic) {
    if (characteristic == visual_characteristic) return media_type == fourcc("vide");
    if (characteristic == audible_characteristic) return media_type == fourcc("soun");
    return false;
}

TimeValue clamp_time(std::int64_t value) {
    return static_cast<TimeValue>(std::clamp<std::int64_t>(value, std::numeric_limits<TimeValue>::min(),
                                                           std::numeric_limits<TimeValue>::max()));
}

// QuickTime's TimeRecord: a 64-bit value as two 32-bit halves, the scale, the time base.
#pragma pack(push, 4)
struct TimeRecord {
    std::uint32_t value_low;
    std::int32_t value_high;
    TimeScale scale;
    void* base;
};
#pragma pack(pop)

}  // namespace

void SetMoviePlayHints(Movie movie, std::int32_t flags, std::int32_t mask) {
    if (MovieRecord* record = find_movie(movie)) record->play_hints = (record->play_hints & ~mask) | (flags & mask);
}

void ClearMoviesStickyError() { state().sticky.clear(); }

OSErr GetMoviesStickyError() { return state().sticky.get(); }

Track GetMovieIndTrackType(Movie movie, std::int32_t index, OSType type, std::int32_t flags) {
    MovieRecord* record = find_movie(movie);
    if (record == nullptr) return nullptr;
    if (index < 1 || (flags & (track_media_type | track_characteristic)) == 0) return raise_error(paramErr), nullptr;
    std::int32_t matches = 0;
    for (const auto& track : record->model.tracks) {
        if (!track->media) continue;
        if ((flags & track_enabled_only) != 0 && !track->enabled()) continue;
        const bool match = (flags & track_media_type) != 0 ? track->media->type == type
                                                            : has_characteristic(track->media->type, type);
        if (match && ++matches == index) return state().handles.track_handle(movie, *track);
    }
    return nullptr;
}

// Flag 1 (media sample) answers the sample starting at the given time, or
// the next one, with that sample's duration; flag 8 the same for sync
// samples. Only forward searches are supported.
void GetMovieNextInterestingTime(Movie movie, std::int16_t flags, std::int16_t media_type_count,
                                 const OSType* media_types, TimeValue time, Fixed rate, TimeValue* interesting_time,
                                 TimeValue* interesting_duration) {
    if (interesting_time != nullptr) *interesting_time = -1;
    if (interesting_duration != nullptr) *interesting_duration = 0;
    MovieRecord* record = find_movie(movie);
    if (record == nullptr) return;
    if ((flags & (next_time_media_sample | next_time_sync_sample)) == 0 || rate < 0 || media_type_count < 0 ||
        (media_type_count > 0 && media_types == nullptr)) {
        raise_error(paramErr);
        return;
    }
    const std::vector<OSType> types(media_types, media_types + (media_types != nullptr ? media_type_count : 0));
    const auto found = next_sample_start(record->model, time, types, (flags & next_time_sync_sample) != 0);
    if (!found) return;
    if (interesting_time != nullptr) *interesting_time = clamp_time(found->time);
    if (interesting_duration != nullptr) *interesting_duration = clamp_time(found->duration);
}

TimeValue GetMovieTime(Movie movie, void* time_record) {
    MovieRecord* record = find_movie(movie);
    if (record == nullptr) return 0;
    const TimeValue now = record->model.header.current_time;
    if (time_record != nullptr) {
        const std::int64_t wide = now;
        const TimeRecord filled{static_cast<std::uint32_t>(wide), static_cast<std::int32_t>(wide >> 32),
                                record->model.header.time_scale, nullptr};
        std::memcpy(time_record, &filled, sizeof filled);
    }
    return now;
}

void SetMoviePosterTime(Movie movie, TimeValue time) {
    MovieRecord* record = find_movie(movie);
    if (record == nullptr) return;
    if (time < 0) {
        raise_error(invalidTime);
        return;
    }
    record->model.header.poster_time = time;
}

void SetMovieTimeValue(Movie movie, TimeValue time) {
    MovieRecord* record = find_movie(movie);
    if (record == nullptr) return;
    if (time < 0) {
        raise_error(invalidTime);
        return;
    }
    record->model.header.current_time = time;
}

void SetMoviePreviewTime(Movie movie, TimeValue start, TimeValue duration) {
    MovieRecord* record = find_movie(movie);
    if (record == nullptr) return;
    if (start < 0 || duration < 0) {
        raise_error(start < 0 ? invalidTime : invalidDuration);
        return;
    }
    record->model.header.preview_time = start;
    record->model.header.preview_duration = duration;
}

void DisposeMovie(Movie movie) {
    if (!state().handles.dispose_movie(movie)) raise_error(invalidMovie);
}

}  // namespace medialayer::dispatch::routine
