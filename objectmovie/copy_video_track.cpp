#include "objectmovie/copy_video_track.h"

#include "quicktime/qt_calls.h"

namespace {
constexpr OSType video_type = four_cc("vide");
constexpr std::int32_t match_media_type = 1;
}  // namespace

OSErr copy_video_track(Movie source, Movie target, Track* new_track, TimeValue limit) {
    ClearMoviesStickyError();
    Track source_track = GetMovieIndTrackType(source, 1, video_type, match_media_type);
    if (!source_track) return paramErr;

    Media source_media = GetTrackMedia(source_track);
    Fixed width = 0;
    Fixed height = 0;
    GetTrackDimensions(source_track, &width, &height);
    const std::int16_t volume = GetTrackVolume(source_track);
    Track track = NewMovieTrack(target, width, height, volume);

    OSType media_type = 0;
    GetMediaHandlerDescription(source_media, &media_type, nullptr, nullptr);
    // No data reference: the media's samples belong to the target movie's own file.
    NewTrackMedia(track, media_type, GetMediaTimeScale(source_media), nullptr, 0);

    TimeValue duration = GetTrackDuration(source_track);
    if (limit > 0 && limit < duration) duration = limit;
    InsertTrackSegment(source_track, track, 0, duration, 0);
    CopyTrackSettings(source_track, track);
    SetTrackLayer(track, GetTrackLayer(source_track));
    SetTrackEnabled(track, true);

    if (new_track) *new_track = track;
    return GetMoviesStickyError();
}
