// QuickTime.qts loaded the way the plug-in loads it (dlopen / LoadLibraryA),
// with one typed call per routine that hands the dispatcher the selector and
// the arguments exactly as the plug-in's call stubs do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "medialayer/test_control.h"
#include "quicktime/qt_selectors.h"
#include "quicktime/qt_types.h"

namespace qts_test {

using Dispatcher = std::intptr_t (*)(std::uint32_t selector, ...);

struct QtsLibrary {
    void* module = nullptr;
    Dispatcher dispatcher = nullptr;
    void (*fault_reset)() = nullptr;
    void (*fault_on_call)(std::uint32_t, std::int16_t) = nullptr;
    void (*fault_on_selector)(std::uint32_t, std::int16_t, std::uint32_t) = nullptr;
    void (*fault_on_write)(std::uint64_t, std::int16_t) = nullptr;
    void (*get_live_counts)(medialayer_live_counts*) = nullptr;
    std::uint32_t (*call_count)() = nullptr;
    std::string error;  // why loading failed

    // Loaded once per process; check `error` before use.
    static QtsLibrary& get();
    medialayer_live_counts live_counts() const;
};

// Where the build put the library, as the platform's loader wants it.
std::string library_path();
// Resolves an exported name of the loaded library; null when absent.
void* find_export(const char* name);

// When set, the selector of every call made through qt:: is appended to it.
inline std::vector<std::uint32_t>* call_log = nullptr;

namespace qt {

template <typename... A>
std::intptr_t call(std::uint32_t selector, A... arguments) {
    if (call_log != nullptr) call_log->push_back(selector);
    return QtsLibrary::get().dispatcher(selector, arguments...);
}

namespace sel = qt_selector;

inline OSErr NativePathNameToFSSpec(char* path, FSSpec* spec, std::int32_t flags) {
    return OSErr(call(sel::NativePathNameToFSSpec, path, spec, flags));
}
inline OSErr CreateMovieFile(const FSSpec* spec, OSType creator, std::int16_t script, std::int32_t flags,
                             std::int16_t* file, Movie* movie) {
    return OSErr(call(sel::CreateMovieFile, spec, creator, script, flags, file, movie));
}
inline OSErr OpenMovieFile(const FSSpec* spec, std::int16_t* file, std::int8_t permission) {
    return OSErr(call(sel::OpenMovieFile, spec, file, permission));
}
inline OSErr NewMovieFromFile(Movie* movie, std::int16_t file, std::int16_t* id, unsigned char* name,
                              std::int16_t flags, bool* changed) {
    return OSErr(call(sel::NewMovieFromFile, movie, file, id, name, flags, changed));
}
inline void SetMoviePlayHints(Movie movie, std::int32_t flags, std::int32_t mask) {
    call(sel::SetMoviePlayHints, movie, flags, mask);
}
inline void ClearMoviesStickyError() { call(sel::ClearMoviesStickyError); }
inline Track GetMovieIndTrackType(Movie movie, std::int32_t index, OSType type, std::int32_t flags) {
    return reinterpret_cast<Track>(call(sel::GetMovieIndTrackType, movie, index, type, flags));
}
inline Media GetTrackMedia(Track track) { return reinterpret_cast<Media>(call(sel::GetTrackMedia, track)); }
inline void GetTrackDimensions(Track track, Fixed* width, Fixed* height) {
    call(sel::GetTrackDimensions, track, width, height);
}
inline std::int16_t GetTrackVolume(Track track) { return std::int16_t(call(sel::GetTrackVolume, track)); }
inline Track NewMovieTrack(Movie movie, Fixed width, Fixed height, std::int16_t volume) {
    return reinterpret_cast<Track>(call(sel::NewMovieTrack, movie, width, height, volume));
}
inline void GetMediaHandlerDescription(Media media, OSType* type, unsigned char* name, OSType* manufacturer) {
    call(sel::GetMediaHandlerDescription, media, type, name, manufacturer);
}
inline TimeScale GetMediaTimeScale(Media media) { return TimeScale(call(sel::GetMediaTimeScale, media)); }
inline Media NewTrackMedia(Track track, OSType type, TimeScale scale, void* data_ref, OSType data_ref_type) {
    return reinterpret_cast<Media>(call(sel::NewTrackMedia, track, type, scale, data_ref, data_ref_type));
}
inline TimeValue GetTrackDuration(Track track) { return TimeValue(call(sel::GetTrackDuration, track)); }
inline OSErr InsertTrackSegment(Track source, Track destination, TimeValue in, TimeValue duration,
                                TimeValue destination_in) {
    return OSErr(call(sel::InsertTrackSegment, source, destination, in, duration, destination_in));
}
inline OSErr CopyTrackSettings(Track source, Track destination) {
    return OSErr(call(sel::CopyTrackSettings, source, destination));
}
inline std::int16_t GetTrackLayer(Track track) { return std::int16_t(call(sel::GetTrackLayer, track)); }
inline void SetTrackLayer(Track track, std::int16_t layer) { call(sel::SetTrackLayer, track, layer); }
inline void SetTrackEnabled(Track track, bool enabled) { call(sel::SetTrackEnabled, track, enabled); }
inline OSErr GetMoviesStickyError() { return OSErr(call(sel::GetMoviesStickyError)); }
inline void GetMovieNextInterestingTime(Movie movie, std::int16_t flags, std::int16_t type_count,
                                        const OSType* types, TimeValue time, Fixed rate, TimeValue* interesting,
                                        TimeValue* duration) {
    call(sel::GetMovieNextInterestingTime, movie, flags, type_count, types, time, rate, interesting, duration);
}
inline TimeValue GetMovieTime(Movie movie, void* record) { return TimeValue(call(sel::GetMovieTime, movie, record)); }
inline Ptr NewPtr(std::int32_t size) { return reinterpret_cast<Ptr>(call(sel::NewPtr, size)); }
inline UserData GetMovieUserData(Movie movie) {
    return reinterpret_cast<UserData>(call(sel::GetMovieUserData, movie));
}
inline OSErr SetUserDataItem(UserData list, void* data, std::int32_t size, OSType type, std::int32_t index) {
    return OSErr(call(sel::SetUserDataItem, list, data, size, type, index));
}
inline void SetMoviePosterTime(Movie movie, TimeValue time) { call(sel::SetMoviePosterTime, movie, time); }
inline void SetMovieTimeValue(Movie movie, TimeValue time) { call(sel::SetMovieTimeValue, movie, time); }
inline void SetMoviePreviewTime(Movie movie, TimeValue start, TimeValue duration) {
    call(sel::SetMoviePreviewTime, movie, start, duration);
}
inline OSErr AddMovieResource(Movie movie, std::int16_t file, std::int16_t* id, const unsigned char* name) {
    return OSErr(call(sel::AddMovieResource, movie, file, id, name));
}
inline void DisposePtr(Ptr block) { call(sel::DisposePtr, block); }
inline OSErr CloseMovieFile(std::int16_t file) { return OSErr(call(sel::CloseMovieFile, file)); }
inline void DisposeMovie(Movie movie) { call(sel::DisposeMovie, movie); }
inline Movie FlattenMovieData(Movie movie, std::int32_t flags, const FSSpec* spec, OSType creator,
                              std::int16_t script, std::int32_t create_flags) {
    return reinterpret_cast<Movie>(call(sel::FlattenMovieData, movie, flags, spec, creator, script, create_flags));
}
inline OSErr DeleteMovieFile(const FSSpec* spec) { return OSErr(call(sel::DeleteMovieFile, spec)); }
inline std::int32_t qtml_reference_query() { return std::int32_t(call(sel::QTMLReferenceQuery)); }

}  // namespace qt
}  // namespace qts_test
