#include "objectmovie/tests/recording_dispatcher.h"

#include <cstdarg>
#include <cstring>
#include <map>
#include <sstream>

#include "quicktime/qt_binding.h"
#include "quicktime/qt_selectors.h"

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
void* handle(int index) { return &handle_space[index]; }
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

std::intptr_t record(std::uint32_t selector, std::va_list args) {
    namespace sel = qt_selector;
    RecordingDispatcher& d = *active;
    const bool fail = selector == d.fail_selector && ++seen[selector] == d.fail_occurrence;
    std::ostringstream call;
    std::intptr_t answer = 0;
    switch (selector) {
    case sel::NativePathNameToFSSpec: {
        const char* path = va_arg(args, char*);
        auto* where = va_arg(args, FSSpec*);
        call << "NativePathNameToFSSpec " << path << " " << va_arg(args, std::int32_t);
        fill_file_record(path, where);
        break;
    }
    case sel::CreateMovieFile: {
        const auto* where = va_arg(args, const FSSpec*);
        const OSType creator = va_arg(args, OSType);
        const int script = va_arg(args, int);
        const std::int32_t flags = va_arg(args, std::int32_t);
        auto* file = va_arg(args, std::int16_t*);
        auto* movie = va_arg(args, Movie*);
        call << "CreateMovieFile " << name_of(where) << " " << code_text(creator) << " " << script << " "
             << hex(std::uint32_t(flags));
        if (!fail) {
            *file = 11;
            *movie = static_cast<Movie>(handle(0));
        }
        break;
    }
    case sel::OpenMovieFile: {
        const auto* where = va_arg(args, const FSSpec*);
        auto* file = va_arg(args, std::int16_t*);
        call << "OpenMovieFile " << name_of(where) << " " << va_arg(args, int);
        if (!fail) *file = where->parID == 1 ? 21 : 31;
        break;
    }
    case sel::NewMovieFromFile: {
        auto* movie = va_arg(args, Movie*);
        const int file = va_arg(args, int);
        const void* id = va_arg(args, void*);
        const void* name = va_arg(args, void*);
        const int flags = va_arg(args, int);
        call << "NewMovieFromFile " << file << " " << name_of(id) << " " << name_of(name) << " " << flags << " "
             << name_of(va_arg(args, void*));
        if (!fail) *movie = static_cast<Movie>(handle(file == 21 ? 1 : 2));
        break;
    }
    case sel::SetMoviePlayHints: {
        const void* movie = va_arg(args, void*);
        const std::int32_t flags = va_arg(args, std::int32_t);
        call << "SetMoviePlayHints " << name_of(movie) << " " << hex(flags) << " " << hex(va_arg(args, std::int32_t));
        break;
    }
    case sel::ClearMoviesStickyError: call << "ClearMoviesStickyError"; break;
    case sel::GetMovieIndTrackType: {
        const void* movie = va_arg(args, void*);
        const std::int32_t index = va_arg(args, std::int32_t);
        const OSType type = va_arg(args, OSType);
        call << "GetMovieIndTrackType " << name_of(movie) << " " << index << " " << code_text(type) << " "
             << va_arg(args, std::int32_t);
        answer = reinterpret_cast<std::intptr_t>(handle(4));
        break;
    }
    case sel::GetTrackMedia:
        call << "GetTrackMedia " << name_of(va_arg(args, void*));
        answer = reinterpret_cast<std::intptr_t>(handle(5));
        break;
    case sel::GetTrackDimensions: {
        call << "GetTrackDimensions " << name_of(va_arg(args, void*));
        *va_arg(args, Fixed*) = 16 << 16;
        *va_arg(args, Fixed*) = 12 << 16;
        break;
    }
    case sel::GetTrackVolume:
        call << "GetTrackVolume " << name_of(va_arg(args, void*));
        answer = 0x100;
        break;
    case sel::NewMovieTrack: {
        const void* movie = va_arg(args, void*);
        const Fixed width = va_arg(args, Fixed);
        const Fixed height = va_arg(args, Fixed);
        call << "NewMovieTrack " << name_of(movie) << " " << hex(width) << " " << hex(height) << " "
             << hex(va_arg(args, int));
        answer = reinterpret_cast<std::intptr_t>(handle(6));
        break;
    }
    case sel::GetMediaHandlerDescription: {
        call << "GetMediaHandlerDescription " << name_of(va_arg(args, void*));
        *va_arg(args, OSType*) = four_cc("vide");
        const void* name = va_arg(args, void*);
        call << " " << name_of(name) << " " << name_of(va_arg(args, void*));
        break;
    }
    case sel::GetMediaTimeScale:
        call << "GetMediaTimeScale " << name_of(va_arg(args, void*));
        answer = 600;
        break;
    case sel::NewTrackMedia: {
        const void* track = va_arg(args, void*);
        const OSType type = va_arg(args, OSType);
        const TimeScale scale = va_arg(args, TimeScale);
        const void* data_ref = va_arg(args, void*);
        call << "NewTrackMedia " << name_of(track) << " " << code_text(type) << " " << scale << " " << name_of(data_ref)
             << " " << va_arg(args, OSType);
        answer = reinterpret_cast<std::intptr_t>(handle(7));
        break;
    }
    case sel::GetTrackDuration:
        call << "GetTrackDuration " << name_of(va_arg(args, void*));
        answer = d.track_duration;
        break;
    case sel::InsertTrackSegment: {
        const void* source = va_arg(args, void*);
        const void* destination = va_arg(args, void*);
        const TimeValue in = va_arg(args, TimeValue);
        const TimeValue duration = va_arg(args, TimeValue);
        call << "InsertTrackSegment " << name_of(source) << " " << name_of(destination) << " " << in << " " << duration
             << " " << va_arg(args, TimeValue);
        break;
    }
    case sel::CopyTrackSettings: {
        const void* source = va_arg(args, void*);
        call << "CopyTrackSettings " << name_of(source) << " " << name_of(va_arg(args, void*));
        break;
    }
    case sel::GetTrackLayer:
        call << "GetTrackLayer " << name_of(va_arg(args, void*));
        answer = 3;
        break;
    case sel::SetTrackLayer: {
        const void* track = va_arg(args, void*);
        call << "SetTrackLayer " << name_of(track) << " " << va_arg(args, int);
        break;
    }
    case sel::SetTrackEnabled: {
        const void* track = va_arg(args, void*);
        call << "SetTrackEnabled " << name_of(track) << " " << va_arg(args, int);
        break;
    }
    case sel::GetMoviesStickyError: call << "GetMoviesStickyError"; break;
    case sel::GetMovieNextInterestingTime: {
        const void* movie = va_arg(args, void*);
        const int flags = va_arg(args, int);
        const int count = va_arg(args, int);
        const void* types = va_arg(args, void*);
        const TimeValue time = va_arg(args, TimeValue);
        const Fixed rate = va_arg(args, Fixed);
        const void* time_out = va_arg(args, void*);
        call << "GetMovieNextInterestingTime " << name_of(movie) << " " << flags << " " << count << " "
             << name_of(types) << " " << time << " " << hex(rate) << " " << name_of(time_out);
        *va_arg(args, TimeValue*) = d.sample_duration;
        break;
    }
    case sel::GetMovieTime: {
        const void* movie = va_arg(args, void*);
        call << "GetMovieTime " << name_of(movie) << " " << name_of(va_arg(args, void*));
        answer = d.movie_time;
        break;
    }
    case sel::NewPtr:
        call << "NewPtr " << va_arg(args, std::int32_t);
        answer = reinterpret_cast<std::intptr_t>(record_block);
        break;
    case sel::GetMovieUserData:
        call << "GetMovieUserData " << name_of(va_arg(args, void*));
        answer = reinterpret_cast<std::intptr_t>(handle(8));
        break;
    case sel::SetUserDataItem: {
        const void* list = va_arg(args, void*);
        const auto* data = va_arg(args, const char*);
        const std::int32_t size = va_arg(args, std::int32_t);
        const OSType type = va_arg(args, OSType);
        call << "SetUserDataItem " << name_of(list) << " "
             << (data == record_block ? std::string("record") : std::string(data, std::size_t(size))) << " " << size
             << " " << code_text(type) << " " << va_arg(args, std::int32_t);
        break;
    }
    case sel::SetMoviePosterTime:
    case sel::SetMovieTimeValue: {
        const void* movie = va_arg(args, void*);
        call << (selector == sel::SetMoviePosterTime ? "SetMoviePosterTime " : "SetMovieTimeValue ")
             << name_of(movie) << " " << va_arg(args, TimeValue);
        break;
    }
    case sel::SetMoviePreviewTime: {
        const void* movie = va_arg(args, void*);
        const TimeValue start = va_arg(args, TimeValue);
        call << "SetMoviePreviewTime " << name_of(movie) << " " << start << " " << va_arg(args, TimeValue);
        break;
    }
    case sel::AddMovieResource: {
        const void* movie = va_arg(args, void*);
        const int file = va_arg(args, int);
        const auto* id = va_arg(args, std::int16_t*);
        call << "AddMovieResource " << name_of(movie) << " " << file << " " << *id << " "
             << name_of(va_arg(args, void*));
        break;
    }
    case sel::DisposePtr: call << "DisposePtr " << name_of(va_arg(args, void*)); break;
    case sel::CloseMovieFile: call << "CloseMovieFile " << va_arg(args, int); break;
    case sel::DisposeMovie: call << "DisposeMovie " << name_of(va_arg(args, void*)); break;
    case sel::FlattenMovieData: {
        const void* movie = va_arg(args, void*);
        const std::int32_t flags = va_arg(args, std::int32_t);
        const auto* where = va_arg(args, const FSSpec*);
        const OSType creator = va_arg(args, OSType);
        const int script = va_arg(args, int);
        call << "FlattenMovieData " << name_of(movie) << " " << flags << " " << name_of(where) << " "
             << code_text(creator) << " " << script << " " << hex(std::uint32_t(va_arg(args, std::int32_t)));
        answer = reinterpret_cast<std::intptr_t>(handle(3));
        break;
    }
    case sel::DeleteMovieFile: call << "DeleteMovieFile " << name_of(va_arg(args, const FSSpec*)); break;
    default: call << "unexpected " << hex(selector); break;
    }
    if (fail) {
        call << " -> fails";
        answer = d.fail_code;
        const bool answers_handle = selector == sel::GetMovieIndTrackType || selector == sel::GetTrackMedia ||
                                    selector == sel::NewMovieTrack || selector == sel::NewTrackMedia ||
                                    selector == sel::NewPtr || selector == sel::GetMovieUserData ||
                                    selector == sel::FlattenMovieData;
        if (answers_handle) answer = 0;
    }
    d.calls.push_back(call.str());
    return answer;
}

std::intptr_t recording_entry(std::uint32_t selector, ...) {
    std::va_list args;
    va_start(args, selector);
    const std::intptr_t answer = record(selector, args);
    va_end(args);
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
