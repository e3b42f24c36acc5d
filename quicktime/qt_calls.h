// The QuickTime routines the plug-in calls, one stub each.
//
// Each stub runs the bind hook while QuickTime is not yet bound, then hands
// the dispatcher the routine's selector and the caller's arguments untouched.
// Before binding every routine answers -2095 (qtNotBoundErr), converted to
// its result type.
#pragma once

#include <cstdint>

#include "quicktime/qt_types.h"

OSErr NativePathNameToFSSpec(char* path, FSSpec* spec, std::int32_t flags);
OSErr CreateMovieFile(const FSSpec* spec, OSType creator, std::int16_t script_tag, std::int32_t create_flags,
                      std::int16_t* file, Movie* movie);
OSErr OpenMovieFile(const FSSpec* spec, std::int16_t* file, std::int8_t permission);
OSErr NewMovieFromFile(Movie* movie, std::int16_t file, std::int16_t* resource_id, unsigned char* resource_name,
                       std::int16_t flags, bool* data_ref_was_changed);
void SetMoviePlayHints(Movie movie, std::int32_t flags, std::int32_t mask);
void ClearMoviesStickyError();
Track GetMovieIndTrackType(Movie movie, std::int32_t index, OSType type, std::int32_t flags);
Media GetTrackMedia(Track track);
void GetTrackDimensions(Track track, Fixed* width, Fixed* height);
std::int16_t GetTrackVolume(Track track);
Track NewMovieTrack(Movie movie, Fixed width, Fixed height, std::int16_t volume);
void GetMediaHandlerDescription(Media media, OSType* type, unsigned char* name, OSType* manufacturer);
TimeScale GetMediaTimeScale(Media media);
Media NewTrackMedia(Track track, OSType type, TimeScale scale, void* data_ref, OSType data_ref_type);
TimeValue GetTrackDuration(Track track);
OSErr InsertTrackSegment(Track source, Track destination, TimeValue source_in, TimeValue source_duration,
                         TimeValue destination_in);
OSErr CopyTrackSettings(Track source, Track destination);
std::int16_t GetTrackLayer(Track track);
void SetTrackLayer(Track track, std::int16_t layer);
void SetTrackEnabled(Track track, bool enabled);
OSErr GetMoviesStickyError();
void GetMovieNextInterestingTime(Movie movie, std::int16_t flags, std::int16_t media_type_count,
                                 const OSType* media_types, TimeValue time, Fixed rate, TimeValue* interesting_time,
                                 TimeValue* interesting_duration);
TimeValue GetMovieTime(Movie movie, void* time_record);
Ptr NewPtr(std::int32_t size);
UserData GetMovieUserData(Movie movie);
OSErr SetUserDataItem(UserData list, void* data, std::int32_t size, OSType type, std::int32_t index);
void SetMoviePosterTime(Movie movie, TimeValue time);
void SetMovieTimeValue(Movie movie, TimeValue time);
void SetMoviePreviewTime(Movie movie, TimeValue start, TimeValue duration);
OSErr AddMovieResource(Movie movie, std::int16_t file, std::int16_t* resource_id, const unsigned char* resource_name);
void DisposePtr(Ptr block);
OSErr CloseMovieFile(std::int16_t file);
void DisposeMovie(Movie movie);
Movie FlattenMovieData(Movie movie, std::int32_t flatten_flags, const FSSpec* spec, OSType creator,
                       std::int16_t script_tag, std::int32_t create_flags);
OSErr DeleteMovieFile(const FSSpec* spec);
// Media-layer query: a non-zero low byte means QuickTime stays loaded without the caller's reference.
std::int32_t qtml_reference_query();
