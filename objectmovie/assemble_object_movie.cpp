#include "objectmovie/assemble_object_movie.h"

#include <cstdint>
#include <limits>

#include "objectmovie/controller_type.h"
#include "objectmovie/copy_video_track.h"
#include "objectmovie/movie_file_constants.h"
#include "objectmovie/navg_record.h"
#include "objectmovie/qt_holders.h"
#include "objectmovie/write_object_movie.h"
#include "quicktime/qt_calls.h"

namespace {

constexpr std::int16_t current_script = -2;
constexpr std::int8_t read_only = 1;
constexpr std::int32_t high_quality_hint = 0x100;
constexpr std::int16_t next_media_sample = 1;
constexpr Fixed normal_rate = 0x10000;

// Movie time covered by the grid. A cancelled capture leaves part of an
// unfinished row in the frame movie; those frames must not reach the object
// movie. 0 (copy everything) when the frame duration is unknown.
TimeValue grid_duration(std::int16_t rows, std::int16_t columns, TimeValue frame_duration) {
    if (frame_duration <= 0) return 0;
    const std::int64_t total = std::int64_t(rows) * columns * frame_duration;
    return total > std::numeric_limits<TimeValue>::max() ? std::numeric_limits<TimeValue>::max()
                                                         : static_cast<TimeValue>(total);
}

// Adds the object record, the controller type and the initial view's times
// to `movie`, then stores the movie in `file`'s data fork.
OSErr store_object_movie(Movie movie, std::int16_t file, const NavgRecord& record, TimeValue view_time) {
    PtrHolder block(NewPtr(NavgRecord::size));
    if (!block.get()) return memFullErr;
    record.write(reinterpret_cast<std::uint8_t*>(block.get()));

    UserData user_data = GetMovieUserData(movie);
    if (!user_data) return userDataItemNotFound;
    OSErr status = SetUserDataItem(user_data, block.get(), NavgRecord::size, NavgRecord::item_type, 0);
    if (status != noErr) return status;
    status = set_controller_type(movie, object_controller);
    if (status != noErr) return status;

    SetMoviePosterTime(movie, view_time);
    SetMovieTimeValue(movie, view_time);
    SetMoviePreviewTime(movie, view_time, TimeValue(record.frames_per_view) * record.frame_duration);

    std::int16_t resource_id = movie_in_data_fork;
    return AddMovieResource(movie, file, &resource_id, nullptr);
}

}  // namespace

OSErr assemble_object_movie(const FSSpec* target, const FSSpec* source) {
    if (!target || !source) return paramErr;
    const std::int16_t columns = movie_columns;
    const std::int16_t rows = movie_rows;
    if (columns < 1 || rows < 1) return paramErr;

    // Released in reverse order: source file, source movie, target file, new movie.
    MovieHolder new_movie;
    MovieFileHolder target_file;
    MovieHolder source_movie;
    MovieFileHolder source_file;

    OSErr status = CreateMovieFile(target, player_creator, current_script, replace_without_resource_fork,
                                   target_file.out(), new_movie.out());
    if (status != noErr) return status;
    status = OpenMovieFile(source, source_file.out(), read_only);
    if (status != noErr) return status;
    status = NewMovieFromFile(source_movie.out(), source_file.get(), nullptr, nullptr, 0, nullptr);
    if (status != noErr) return status;
    SetMoviePlayHints(source_movie.get(), high_quality_hint, high_quality_hint);

    // The first sample's duration is one frame's; measured before the copy
    // because it bounds what is copied.
    TimeValue frame_duration = 0;
    GetMovieNextInterestingTime(source_movie.get(), next_media_sample, 0, nullptr, 0, normal_rate, nullptr,
                                &frame_duration);

    Track track = nullptr;
    status = copy_video_track(source_movie.get(), new_movie.get(), &track,
                              grid_duration(rows, columns, frame_duration));
    if (status != noErr) return status;

    // The view the frame movie opens at becomes the object movie's initial view.
    const TimeValue view_time = GetMovieTime(source_movie.get(), nullptr);
    const NavgRecord record = object_record(columns, rows, frame_duration, view_time);
    return store_object_movie(new_movie.get(), target_file.get(), record, view_time);
}
