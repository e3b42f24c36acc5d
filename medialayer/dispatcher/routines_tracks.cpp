// Track and media routines.
#include <algorithm>
#include <cstring>
#include <limits>

#include "medialayer/dispatcher/dispatcher_state.h"
#include "quicktime/qt_types.h"
#include "medialayer/dispatcher/routines.h"

namespace medialayer::dispatch::routine {
namespace {

TrackRef find_track(Track track) {
    const TrackRef found = state().handles.track(track);
    if (!found) raise_error(invalidTrack);
    return found;
}

MediaRef find_media(Media media) {
    const MediaRef found = state().handles.media(media);
    if (!found) raise_error(invalidMedia);
    return found;
}

}  // namespace

Track NewMovieTrack(Movie movie, Fixed width, Fixed height, std::int16_t volume) {
    DispatcherState& s = state();
    MovieRecord* record = s.handles.movie(movie);
    if (record == nullptr) return raise_error(invalidMovie), nullptr;
    if (width < 0 || height < 0) return raise_error(paramErr), nullptr;
    TrackModel& track = add_video_track(record->model, width, height, volume);
    return s.handles.track_handle(movie, track);
}

Media GetTrackMedia(Track track) {
    const TrackRef found = find_track(track);
    if (!found) return nullptr;
    return state().handles.media_handle(found.owner, *found.track);
}

void GetTrackDimensions(Track track, Fixed* width, Fixed* height) {
    const TrackRef found = find_track(track);
    if (width != nullptr) *width = found ? found.track->width : 0;
    if (height != nullptr) *height = found ? found.track->height : 0;
}

std::int16_t GetTrackVolume(Track track) {
    const TrackRef found = find_track(track);
    return found ? found.track->volume : std::int16_t(0);
}

TimeValue GetTrackDuration(Track track) {
    const TrackRef found = find_track(track);
    if (!found) return 0;
    const std::int64_t duration = found.track->duration(found.movie->model.header.time_scale);
    return static_cast<TimeValue>(std::min<std::int64_t>(duration, std::numeric_limits<TimeValue>::max()));
}

std::int16_t GetTrackLayer(Track track) {
    const TrackRef found = find_track(track);
    return found ? found.track->layer : std::int16_t(0);
}

void SetTrackLayer(Track track, std::int16_t layer) {
    if (const TrackRef found = find_track(track)) found.track->layer = layer;
}

void SetTrackEnabled(Track track, bool enabled) {
    const TrackRef found = find_track(track);
    if (!found) return;
    if (enabled)
        found.track->flags |= track_enabled;
    else
        found.track->flags &= ~track_enabled;
}

// By reference: the destination media gains a data reference to the file
// holding the source samples; no sample bytes move until the movie is flattened.
OSErr InsertTrackSegment(Track source, Track destination, TimeValue source_in, TimeValue source_duration,
                         TimeValue destination_in) {
    const HandleTable& handles = state().handles;
    const TrackRef from = handles.track(source);
    const TrackRef to = handles.track(destination);
    if (!from || !to) return invalidTrack;
    if (from.track == to.track) return paramErr;
    return insert_track_segment(from.movie->model, *from.track, source_in, source_duration, to.movie->model,
                                *to.track, destination_in);
}

OSErr CopyTrackSettings(Track source, Track destination) {
    const HandleTable& handles = state().handles;
    const TrackRef from = handles.track(source);
    const TrackRef to = handles.track(destination);
    if (!from || !to) return invalidTrack;
    copy_track_settings(*from.track, *to.track);
    return noErr;
}

// Only the movie's own file serves as a new media's data reference.
Media NewTrackMedia(Track track, OSType type, TimeScale scale, void* data_ref, OSType /*data_ref_type*/) {
    const TrackRef found = find_track(track);
    if (!found) return nullptr;
    if (data_ref != nullptr) return raise_error(couldNotResolveDataRef), nullptr;
    if (found.movie->model.file_path.empty()) return raise_error(noDefaultDataRef), nullptr;
    if (const OSErr err = create_track_media(found.movie->model, *found.track, type, scale); err != noErr)
        return raise_error(err), nullptr;
    return state().handles.media_handle(found.owner, *found.track);
}

void GetMediaHandlerDescription(Media media, OSType* type, unsigned char* name, OSType* manufacturer) {
    const MediaRef found = find_media(media);
    if (type != nullptr) *type = found ? found.media->type : 0;
    if (manufacturer != nullptr) *manufacturer = 0;
    if (name != nullptr) {
        const std::string& text = found ? found.media->handler_name : std::string();
        const std::size_t size = std::min<std::size_t>(text.size(), 255);
        name[0] = static_cast<unsigned char>(size);
        std::memcpy(name + 1, text.data(), size);
    }
}

TimeScale GetMediaTimeScale(Media media) {
    const MediaRef found = find_media(media);
    return found ? found.media->time_scale : 0;
}

}  // namespace medialayer::dispatch::routine
