// One stub per QuickTime routine: the routine's own name, signature and selector.
#include "quicktime/qt_calls.h"

#include "quicktime/qt_dispatch.h"
#include "quicktime/qt_selectors.h"

using qt_call::dispatch;
using qt_call::dispatch_for_handle;
using qt_call::low_16_bits;
using qt_call::low_32_bits;

OSErr NativePathNameToFSSpec(char* path, FSSpec* spec, std::int32_t flags) {
    return low_16_bits(dispatch(qt_selector::NativePathNameToFSSpec, path, spec, flags));
}

OSErr CreateMovieFile(const FSSpec* spec, OSType creator, std::int16_t script_tag, std::int32_t create_flags,
                      std::int16_t* file, Movie* movie) {
    return low_16_bits(dispatch(qt_selector::CreateMovieFile, spec, creator, script_tag, create_flags, file, movie));
}

OSErr OpenMovieFile(const FSSpec* spec, std::int16_t* file, std::int8_t permission) {
    return low_16_bits(dispatch(qt_selector::OpenMovieFile, spec, file, permission));
}

OSErr NewMovieFromFile(Movie* movie, std::int16_t file, std::int16_t* resource_id, unsigned char* resource_name,
                       std::int16_t flags, bool* data_ref_was_changed) {
    return low_16_bits(
        dispatch(qt_selector::NewMovieFromFile, movie, file, resource_id, resource_name, flags, data_ref_was_changed));
}

void SetMoviePlayHints(Movie movie, std::int32_t flags, std::int32_t mask) {
    dispatch(qt_selector::SetMoviePlayHints, movie, flags, mask);
}

void ClearMoviesStickyError() {
    dispatch(qt_selector::ClearMoviesStickyError);
}

Track GetMovieIndTrackType(Movie movie, std::int32_t index, OSType type, std::int32_t flags) {
    return dispatch_for_handle<Track>(qt_selector::GetMovieIndTrackType, movie, index, type, flags);
}

Media GetTrackMedia(Track track) {
    return dispatch_for_handle<Media>(qt_selector::GetTrackMedia, track);
}

void GetTrackDimensions(Track track, Fixed* width, Fixed* height) {
    dispatch(qt_selector::GetTrackDimensions, track, width, height);
}

std::int16_t GetTrackVolume(Track track) {
    return low_16_bits(dispatch(qt_selector::GetTrackVolume, track));
}

Track NewMovieTrack(Movie movie, Fixed width, Fixed height, std::int16_t volume) {
    return dispatch_for_handle<Track>(qt_selector::NewMovieTrack, movie, width, height, volume);
}

void GetMediaHandlerDescription(Media media, OSType* type, unsigned char* name, OSType* manufacturer) {
    dispatch(qt_selector::GetMediaHandlerDescription, media, type, name, manufacturer);
}

TimeScale GetMediaTimeScale(Media media) {
    return low_32_bits(dispatch(qt_selector::GetMediaTimeScale, media));
}

Media NewTrackMedia(Track track, OSType type, TimeScale scale, void* data_ref, OSType data_ref_type) {
    return dispatch_for_handle<Media>(qt_selector::NewTrackMedia, track, type, scale, data_ref, data_ref_type);
}

TimeValue GetTrackDuration(Track track) {
    return low_32_bits(dispatch(qt_selector::GetTrackDuration, track));
}

OSErr InsertTrackSegment(Track source, Track destination, TimeValue source_in, TimeValue source_duration,
                         TimeValue destination_in) {
    return low_16_bits(
        dispatch(qt_selector::InsertTrackSegment, source, destination, source_in, source_duration, destination_in));
}

OSErr CopyTrackSettings(Track source, Track destination) {
    return low_16_bits(dispatch(qt_selector::CopyTrackSettings, source, destination));
}

std::int16_t GetTrackLayer(Track track) {
    return low_16_bits(dispatch(qt_selector::GetTrackLayer, track));
}

void SetTrackLayer(Track track, std::int16_t layer) {
    dispatch(qt_selector::SetTrackLayer, track, layer);
}

void SetTrackEnabled(Track track, bool enabled) {
    dispatch(qt_selector::SetTrackEnabled, track, enabled);
}

OSErr GetMoviesStickyError() {
    return low_16_bits(dispatch(qt_selector::GetMoviesStickyError));
}

void GetMovieNextInterestingTime(Movie movie, std::int16_t flags, std::int16_t media_type_count,
                                 const OSType* media_types, TimeValue time, Fixed rate, TimeValue* interesting_time,
                                 TimeValue* interesting_duration) {
    dispatch(qt_selector::GetMovieNextInterestingTime, movie, flags, media_type_count, media_types, time, rate,
             interesting_time, interesting_duration);
}

TimeValue GetMovieTime(Movie movie, void* time_record) {
    return low_32_bits(dispatch(qt_selector::GetMovieTime, movie, time_record));
}

Ptr NewPtr(std::int32_t size) {
    return dispatch_for_handle<Ptr>(qt_selector::NewPtr, size);
}

UserData GetMovieUserData(Movie movie) {
    return dispatch_for_handle<UserData>(qt_selector::GetMovieUserData, movie);
}

OSErr SetUserDataItem(UserData list, void* data, std::int32_t size, OSType type, std::int32_t index) {
    return low_16_bits(dispatch(qt_selector::SetUserDataItem, list, data, size, type, index));
}

void SetMoviePosterTime(Movie movie, TimeValue time) {
    dispatch(qt_selector::SetMoviePosterTime, movie, time);
}

void SetMovieTimeValue(Movie movie, TimeValue time) {
    dispatch(qt_selector::SetMovieTimeValue, movie, time);
}

void SetMoviePreviewTime(Movie movie, TimeValue start, TimeValue duration) {
    dispatch(qt_selector::SetMoviePreviewTime, movie, start, duration);
}

OSErr AddMovieResource(Movie movie, std::int16_t file, std::int16_t* resource_id, const unsigned char* resource_name) {
    return low_16_bits(dispatch(qt_selector::AddMovieResource, movie, file, resource_id, resource_name));
}

void DisposePtr(Ptr block) {
    dispatch(qt_selector::DisposePtr, block);
}

OSErr CloseMovieFile(std::int16_t file) {
    return low_16_bits(dispatch(qt_selector::CloseMovieFile, file));
}

void DisposeMovie(Movie movie) {
    dispatch(qt_selector::DisposeMovie, movie);
}

Movie FlattenMovieData(Movie movie, std::int32_t flatten_flags, const FSSpec* spec, OSType creator,
                       std::int16_t script_tag, std::int32_t create_flags) {
    return dispatch_for_handle<Movie>(qt_selector::FlattenMovieData, movie, flatten_flags, spec, creator, script_tag,
                                      create_flags);
}

OSErr DeleteMovieFile(const FSSpec* spec) {
    return low_16_bits(dispatch(qt_selector::DeleteMovieFile, spec));
}

std::int32_t qtml_reference_query() {
    return low_32_bits(dispatch(qt_selector::QTMLReferenceQuery));
}
