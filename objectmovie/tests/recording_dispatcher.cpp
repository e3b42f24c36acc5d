#include "objectmovie/tests/recording_dispatcher.h"

#include <cstdarg>
#include <cstring>
#include <map>
#include <type_traits>

#include "quicktime/qt_binding.h"
#include "quicktime/qt_received_call.h"

namespace {

RecordingDispatcher* active = nullptr;
std::map<std::uint32_t, std::uint32_t> seen;

// Distinct addresses that stand for the handles QuickTime would hand out.
char handle_space[16];
const std::map<const void*, std::string> handle_names = {
    {&handle_space[0], "new-movie"},     {&handle_space[1], "frame-movie"},  {&handle_space[2], "reloaded-movie"},
    {&handle_space[3], "flattened-movie"}, {&handle_space[4], "frame-track"}, {&handle_space[5], "frame-media"},
    {&handle_space[6], "new-track"},     {&handle_space[7], "new-media"},    {&handle_space[8], "user-data"},
};
template <typename Handle>
Handle handle(int index) {
    return reinterpret_cast<Handle>(&handle_space[index]);
}
char record_block[48];

std::string name_of(const void* p) {
    if (!p) return "none";
    if (p == record_block) return "record";
    const auto found = handle_names.find(p);
    return found == handle_names.end() ? "?" : found->second;
}

std::string name_of(const FSSpec* file) {
    if (!file) return "none";
    const std::string name(reinterpret_cast<const char*>(file->name + 1), file->name[0]);
    return std::to_string(file->parID) + ":" + name;
}

std::string code_text(std::uint32_t code) {
    const char text[5] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code), 0};
    return text;
}

std::string hex(std::uint32_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << value;
    return out.str();
}

// A path's folder decides its directory number, its last part the name.
void fill_file_record(const char* path, FSSpec* file) {
    const char* slash = std::strrchr(path, '/');
    const char* name = slash ? slash + 1 : path;
    *file = FSSpec{};
    file->vRefNum = -1;
    file->parID = std::strncmp(path, "/frames/", 8) == 0 ? 1 : 2;
    file->name[0] = static_cast<unsigned char>(std::strlen(name));
    std::memcpy(file->name + 1, name, file->name[0]);
}

// Reads each routine's arguments by its signature in the routine list and hands
// them to the stand-in's answer of the same name.
std::intptr_t record(std::uint32_t selector, std::va_list* arguments) {
    RecordingDispatcher& d = *active;
    d.failing = selector == d.fail_selector && ++seen[selector] == d.fail_occurrence;
    d.line.str("");
    std::intptr_t answer = 0;
    bool answers_handle = false;
    switch (selector) {
#define QT_ROUTINE(name, selector, result, reports, ...)                                            \
    case selector:                                                                                  \
        answer = qt_receive::Call<QT_SIGNATURE(result, __VA_ARGS__)>::with(                         \
            [&d](auto... values) { return d.name(values...); }, arguments);                         \
        answers_handle = std::is_pointer_v<result>;                                                 \
        break;
#include "quicktime/qt_routines.inc"
    default: d.line << "unexpected " << hex(selector); break;
    }
    if (d.failing) {
        d.line << " -> fails";
        answer = answers_handle ? 0 : d.fail_code;
    }
    d.calls.push_back(d.line.str());
    return answer;
}

std::intptr_t recording_entry(std::uint32_t selector, ...) {
    std::va_list arguments;
    va_start(arguments, selector);
    const std::intptr_t answer = record(selector, &arguments);
    va_end(arguments);
    return answer;
}

}  // namespace

RecordingDispatcher::RecordingDispatcher() {
    active = this;
    seen.clear();
    qt_bind_hook = nullptr;
    qt_dispatcher = recording_entry;
}

RecordingDispatcher::~RecordingDispatcher() {
    qt_reset_binding_for_tests();
    active = nullptr;
}

OSErr RecordingDispatcher::NativePathNameToFSSpec(char* path, FSSpec* spec, std::int32_t flags) {
    line << "NativePathNameToFSSpec " << path << " " << flags;
    fill_file_record(path, spec);
    return noErr;
}

OSErr RecordingDispatcher::CreateMovieFile(const FSSpec* spec, OSType creator, std::int16_t script_tag,
                                           std::int32_t create_flags, std::int16_t* file, Movie* movie) {
    line << "CreateMovieFile " << name_of(spec) << " " << code_text(creator) << " " << script_tag << " "
         << hex(std::uint32_t(create_flags));
    if (!failing) {
        *file = 11;
        *movie = handle<Movie>(0);
    }
    return noErr;
}

OSErr RecordingDispatcher::OpenMovieFile(const FSSpec* spec, std::int16_t* file, std::int8_t permission) {
    line << "OpenMovieFile " << name_of(spec) << " " << int(permission);
    if (!failing) *file = spec->parID == 1 ? 21 : 31;
    return noErr;
}

OSErr RecordingDispatcher::NewMovieFromFile(Movie* movie, std::int16_t file, std::int16_t* resource_id,
                                            unsigned char* resource_name, std::int16_t flags,
                                            bool* data_ref_was_changed) {
    line << "NewMovieFromFile " << file << " " << name_of(resource_id) << " " << name_of(resource_name) << " "
         << flags << " " << name_of(data_ref_was_changed);
    if (!failing) *movie = handle<Movie>(file == 21 ? 1 : 2);
    return noErr;
}

OSErr RecordingDispatcher::AddMovieResource(Movie movie, std::int16_t file, std::int16_t* resource_id,
                                            const unsigned char* resource_name) {
    line << "AddMovieResource " << name_of(movie) << " " << file << " " << *resource_id << " "
         << name_of(resource_name);
    return noErr;
}

OSErr RecordingDispatcher::CloseMovieFile(std::int16_t file) {
    line << "CloseMovieFile " << file;
    return noErr;
}

Movie RecordingDispatcher::FlattenMovieData(Movie movie, std::int32_t flatten_flags, const FSSpec* spec,
                                            OSType creator, std::int16_t script_tag, std::int32_t create_flags) {
    line << "FlattenMovieData " << name_of(movie) << " " << flatten_flags << " " << name_of(spec) << " "
         << code_text(creator) << " " << script_tag << " " << hex(std::uint32_t(create_flags));
    return handle<Movie>(3);
}

OSErr RecordingDispatcher::DeleteMovieFile(const FSSpec* spec) {
    line << "DeleteMovieFile " << name_of(spec);
    return noErr;
}

void RecordingDispatcher::SetMoviePlayHints(Movie movie, std::int32_t flags, std::int32_t mask) {
    line << "SetMoviePlayHints " << name_of(movie) << " " << hex(flags) << " " << hex(mask);
}

void RecordingDispatcher::ClearMoviesStickyError() { line << "ClearMoviesStickyError"; }

OSErr RecordingDispatcher::GetMoviesStickyError() {
    line << "GetMoviesStickyError";
    return noErr;
}

Track RecordingDispatcher::GetMovieIndTrackType(Movie movie, std::int32_t index, OSType type, std::int32_t flags) {
    line << "GetMovieIndTrackType " << name_of(movie) << " " << index << " " << code_text(type) << " " << flags;
    return handle<Track>(4);
}

void RecordingDispatcher::GetMovieNextInterestingTime(Movie movie, std::int16_t flags, std::int16_t media_type_count,
                                                      const OSType* media_types, TimeValue time, Fixed rate,
                                                      TimeValue* interesting_time, TimeValue* interesting_duration) {
    line << "GetMovieNextInterestingTime " << name_of(movie) << " " << flags << " " << media_type_count << " "
         << name_of(media_types) << " " << time << " " << hex(rate) << " " << name_of(interesting_time);
    *interesting_duration = sample_duration;
}

TimeValue RecordingDispatcher::GetMovieTime(Movie movie, void* time_record) {
    line << "GetMovieTime " << name_of(movie) << " " << name_of(time_record);
    return movie_time;
}

void RecordingDispatcher::SetMoviePosterTime(Movie movie, TimeValue time) {
    line << "SetMoviePosterTime " << name_of(movie) << " " << time;
}

void RecordingDispatcher::SetMovieTimeValue(Movie movie, TimeValue time) {
    line << "SetMovieTimeValue " << name_of(movie) << " " << time;
}

void RecordingDispatcher::SetMoviePreviewTime(Movie movie, TimeValue start, TimeValue duration) {
    line << "SetMoviePreviewTime " << name_of(movie) << " " << start << " " << duration;
}

void RecordingDispatcher::DisposeMovie(Movie movie) { line << "DisposeMovie " << name_of(movie); }

Track RecordingDispatcher::NewMovieTrack(Movie movie, Fixed width, Fixed height, std::int16_t volume) {
    line << "NewMovieTrack " << name_of(movie) << " " << hex(width) << " " << hex(height) << " "
         << hex(std::uint32_t(volume));
    return handle<Track>(6);
}

Media RecordingDispatcher::GetTrackMedia(Track track) {
    line << "GetTrackMedia " << name_of(track);
    return handle<Media>(5);
}

void RecordingDispatcher::GetTrackDimensions(Track track, Fixed* width, Fixed* height) {
    line << "GetTrackDimensions " << name_of(track);
    *width = 16 << 16;
    *height = 12 << 16;
}

std::int16_t RecordingDispatcher::GetTrackVolume(Track track) {
    line << "GetTrackVolume " << name_of(track);
    return 0x100;
}

TimeValue RecordingDispatcher::GetTrackDuration(Track track) {
    line << "GetTrackDuration " << name_of(track);
    return track_duration;
}

std::int16_t RecordingDispatcher::GetTrackLayer(Track track) {
    line << "GetTrackLayer " << name_of(track);
    return 3;
}

void RecordingDispatcher::SetTrackLayer(Track track, std::int16_t layer) {
    line << "SetTrackLayer " << name_of(track) << " " << layer;
}

void RecordingDispatcher::SetTrackEnabled(Track track, bool enabled) {
    line << "SetTrackEnabled " << name_of(track) << " " << int(enabled);
}

OSErr RecordingDispatcher::InsertTrackSegment(Track source, Track destination, TimeValue source_in,
                                              TimeValue source_duration, TimeValue destination_in) {
    line << "InsertTrackSegment " << name_of(source) << " " << name_of(destination) << " " << source_in << " "
         << source_duration << " " << destination_in;
    return noErr;
}

OSErr RecordingDispatcher::CopyTrackSettings(Track source, Track destination) {
    line << "CopyTrackSettings " << name_of(source) << " " << name_of(destination);
    return noErr;
}

Media RecordingDispatcher::NewTrackMedia(Track track, OSType type, TimeScale scale, void* data_ref,
                                         OSType data_ref_type) {
    line << "NewTrackMedia " << name_of(track) << " " << code_text(type) << " " << scale << " " << name_of(data_ref)
         << " " << data_ref_type;
    return handle<Media>(7);
}

void RecordingDispatcher::GetMediaHandlerDescription(Media media, OSType* type, unsigned char* name,
                                                     OSType* manufacturer) {
    line << "GetMediaHandlerDescription " << name_of(media) << " " << name_of(name) << " " << name_of(manufacturer);
    *type = four_cc("vide");
}

TimeScale RecordingDispatcher::GetMediaTimeScale(Media media) {
    line << "GetMediaTimeScale " << name_of(media);
    return 600;
}

UserData RecordingDispatcher::GetMovieUserData(Movie movie) {
    line << "GetMovieUserData " << name_of(movie);
    return handle<UserData>(8);
}

OSErr RecordingDispatcher::SetUserDataItem(UserData list, void* data, std::int32_t size, OSType type,
                                           std::int32_t index) {
    const char* bytes = static_cast<const char*>(data);
    line << "SetUserDataItem " << name_of(list) << " "
         << (bytes == record_block ? std::string("record") : std::string(bytes, std::size_t(size))) << " " << size
         << " " << code_text(type) << " " << index;
    return noErr;
}

Ptr RecordingDispatcher::NewPtr(std::int32_t size) {
    line << "NewPtr " << size;
    return record_block;
}

void RecordingDispatcher::DisposePtr(Ptr block) { line << "DisposePtr " << name_of(block); }

std::int32_t RecordingDispatcher::qtml_reference_query() {
    line << "unexpected qtml_reference_query";
    return 0;
}
