// The routines behind the dispatcher, with QuickTime's names and signatures.
//
// Each one validates every handle, file reference and record it is given:
// a bad one gives an error code (and the sticky error) or a null result,
// never a dereference. Routines that answer an OSErr leave raising it to the
// entry; the others raise their errors themselves.
#pragma once

#include <cstdint>

#include "quicktime/qt_types.h"

namespace medialayer::dispatch::routine {

// Files
OSErr NativePathNameToFSSpec(char* path, FSSpec* spec, std::int32_t flags);
OSErr CreateMovieFile(const FSSpec* spec, OSType creator, std::int16_t script_tag, std::int32_t create_flags,
                      std::int16_t* file, Movie* movie);
OSErr OpenMovieFile(const FSSpec* spec, std::int16_t* file, std::int8_t permission);
OSErr NewMovieFromFile(Movie* movie, std::int16_t file, std::int16_t* resource_id, unsigned char* resource_name,
                       std::int16_t flags, bool* data_ref_was_changed);
OSErr AddMovieResource(Movie movie, std::int16_t file, std::int16_t* resource_id, const unsigned char* resource_name);
OSErr CloseMovieFile(std::int16_t file);
Movie FlattenMovieData(Movie movie, std::int32_t flatten_flags, const FSSpec* spec, OSType creator,
                       std::int16_t script_tag, std::int32_t create_flags);
OSErr DeleteMovieFile(const FSSpec* spec);

// Movies
void SetMoviePlayHints(Movie movie, std::int32_t flags, std::int32_t mask);
void ClearMoviesStickyError();
OSErr GetMoviesStickyError();
Track GetMovieIndTrackType(Movie movie, std::int32_t index, OSType type, std::int32_t flags);
void GetMovieNextInterestingTime(Movie movie, std::int16_t flags, std::int16_t media_type_count,
                                 const OSType* media_types, TimeValue time, Fixed rate, TimeValue* interesting_time,
                                 TimeValue* interesting_duration);
TimeValue GetMovieTime(Movie movie, void* time_record);
void SetMoviePosterTime(Movie movie, TimeValue time);
void SetMovieTimeValue(Movie movie, TimeValue time);
void SetMoviePreviewTime(Movie movie, TimeValue start, TimeValue duration);
void DisposeMovie(Movie movie);

// Tracks and media
Track NewMovieTrack(Movie movie, Fixed width, Fixed height, std::int16_t volume);
Media GetTrackMedia(Track track);
void GetTrackDimensions(Track track, Fixed* width, Fixed* height);
std::int16_t GetTrackVolume(Track track);
TimeValue GetTrackDuration(Track track);
std::int16_t GetTrackLayer(Track track);
void SetTrackLayer(Track track, std::int16_t layer);
void SetTrackEnabled(Track track, bool enabled);
OSErr InsertTrackSegment(Track source, Track destination, TimeValue source_in, TimeValue source_duration,
                         TimeValue destination_in);
OSErr CopyTrackSettings(Track source, Track destination);
Media NewTrackMedia(Track track, OSType type, TimeScale scale, void* data_ref, OSType data_ref_type);
void GetMediaHandlerDescription(Media media, OSType* type, unsigned char* name, OSType* manufacturer);
TimeScale GetMediaTimeScale(Media media);

// User data
UserData GetMovieUserData(Movie movie);
OSErr SetUserDataItem(UserData list, void* data, std::int32_t size, OSType type, std::int32_t index);

// Memory
Ptr NewPtr(std::int32_t size);
void DisposePtr(Ptr block);

// Media layer
std::int32_t qtml_reference_query();

}  // namespace medialayer::dispatch::routine
