#include "writer_calls.h"

#include <cstring>

#include "qts_library.h"

namespace qts_test {
namespace {

constexpr std::int32_t create_flags = std::int32_t(0x90000000u);
constexpr std::int8_t read_only = 1;

OSErr copy_video_track(Movie source, Movie target) {
    using namespace qt;
    ClearMoviesStickyError();
    Track source_track = GetMovieIndTrackType(source, 1, four_cc("vide"), 1);
    if (source_track == nullptr) return paramErr;
    Media source_media = GetTrackMedia(source_track);
    Fixed width = 0, height = 0;
    GetTrackDimensions(source_track, &width, &height);
    const std::int16_t volume = GetTrackVolume(source_track);
    Track new_track = NewMovieTrack(target, width, height, volume);
    OSType media_type = 0;
    GetMediaHandlerDescription(source_media, &media_type, nullptr, nullptr);
    NewTrackMedia(new_track, media_type, GetMediaTimeScale(source_media), nullptr, 0);
    InsertTrackSegment(source_track, new_track, 0, GetTrackDuration(source_track), 0);
    CopyTrackSettings(source_track, new_track);
    SetTrackLayer(new_track, GetTrackLayer(source_track));
    SetTrackEnabled(new_track, true);
    return GetMoviesStickyError();
}

OSErr set_controller_type(Movie movie, OSType subtype) {
    UserData list = qt::GetMovieUserData(movie);
    if (list == nullptr) return paramErr;
    unsigned char bytes[4] = {std::uint8_t(subtype >> 24), std::uint8_t(subtype >> 16), std::uint8_t(subtype >> 8),
                              std::uint8_t(subtype)};
    return qt::SetUserDataItem(list, bytes, 4, four_cc("ctyp"), 0);
}

}  // namespace

OSErr assemble_reference_movie(const FSSpec& target, const FSSpec& source, const std::vector<std::uint8_t>& record,
                               AssemblyObservations* observed) {
    using namespace qt;
    Movie new_movie = nullptr, source_movie = nullptr;
    std::int16_t target_file = 0, source_file = 0, resource_id = -1;
    OSErr status = CreateMovieFile(&target, four_cc("TVOD"), -2, create_flags, &target_file, &new_movie);
    if (status == noErr) status = OpenMovieFile(&source, &source_file, read_only);
    if (status == noErr) status = NewMovieFromFile(&source_movie, source_file, nullptr, nullptr, 0, nullptr);
    if (status == noErr) {
        SetMoviePlayHints(source_movie, 0x100, 0x100);
        status = copy_video_track(source_movie, new_movie);
    }
    if (status == noErr) {
        TimeValue duration = -1;
        GetMovieNextInterestingTime(source_movie, 1, 0, nullptr, 0, 0x10000, nullptr, &duration);
        const TimeValue view_time = GetMovieTime(source_movie, nullptr);
        if (observed != nullptr) *observed = {duration, view_time};
        Ptr block = NewPtr(std::int32_t(record.size()));
        if (block != nullptr) {
            std::memcpy(block, record.data(), record.size());
            UserData list = GetMovieUserData(new_movie);
            status = list == nullptr ? userDataItemNotFound
                                     : SetUserDataItem(list, block, std::int32_t(record.size()), four_cc("NAVG"), 0);
            if (status == noErr) status = set_controller_type(new_movie, four_cc("stna"));
            if (status == noErr) {
                SetMoviePosterTime(new_movie, view_time);
                SetMovieTimeValue(new_movie, view_time);
                SetMoviePreviewTime(new_movie, view_time, duration);
                status = AddMovieResource(new_movie, target_file, &resource_id, nullptr);
            }
            DisposePtr(block);
        }
    }
    if (source_file != 0) CloseMovieFile(source_file);
    if (source_movie != nullptr) DisposeMovie(source_movie);
    if (target_file != 0) CloseMovieFile(target_file);
    if (new_movie != nullptr) DisposeMovie(new_movie);
    return status;
}

OSErr flatten_reference_movie(const FSSpec& intermediate, const FSSpec& output, bool* flattened) {
    using namespace qt;
    Movie movie = nullptr;
    std::int16_t file = 0;
    if (flattened != nullptr) *flattened = false;
    OSErr status = OpenMovieFile(&intermediate, &file, read_only);
    if (status == noErr) status = NewMovieFromFile(&movie, file, nullptr, nullptr, 0, nullptr);
    if (status == noErr) {
        Movie flat = FlattenMovieData(movie, 73, &output, four_cc("TVOD"), -1, create_flags);
        if (flat != nullptr) DisposeMovie(flat);
        if (flattened != nullptr) *flattened = flat != nullptr;
    }
    if (movie != nullptr) DisposeMovie(movie);
    if (file != 0) CloseMovieFile(file);
    DeleteMovieFile(&intermediate);
    return status;
}

FSSpec intermediate_spec(const FSSpec& output) {
    FSSpec spec = output;
    unsigned char& last = spec.name[spec.name[0]];
    last = last == 't' ? '@' : 't';
    return spec;
}

}  // namespace qts_test
