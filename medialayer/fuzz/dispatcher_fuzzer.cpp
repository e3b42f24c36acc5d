// libFuzzer target: any bytes opened as the frame movie by the dispatcher
// routines the object movie writer calls, through the plug-in's own call
// stubs: NewMovieFromFile, GetMovieNextInterestingTime, the track copy with
// InsertTrackSegment, AddMovieResource and FlattenMovieData. The times and
// segments probed are the edges of the movie's own duration.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "fuzz_scratch.h"
#include "movie_model.h"
#include "objectmovie/copy_video_track.h"
#include "quicktime/qt_binding.h"
#include "quicktime/qt_calls.h"

extern "C" std::intptr_t theQuickTimeDispatcher(std::uint32_t selector, ...);

namespace {

FSSpec spec_of(std::string path) {
    FSSpec spec{};
    NativePathNameToFSSpec(path.data(), &spec, 0);
    return spec;
}

constexpr TimeValue largest = std::numeric_limits<TimeValue>::max();

// The frame movie's next samples at and around the edges of its duration.
void probe_interesting_times(Movie movie, TimeValue duration) {
    for (TimeValue at : {TimeValue(0), TimeValue(duration / 2), TimeValue(duration - 1), duration, largest, TimeValue(-1)})
        for (std::int16_t flags : {std::int16_t(1), std::int16_t(8)}) {
            TimeValue found = 0, length = 0;
            GetMovieNextInterestingTime(movie, flags, 0, nullptr, at, 0x10000, &found, &length);
        }
}

// More segments of the source track into the copy: parts, past the end, at the copy's end.
void insert_more_segments(Movie source, Track copy, TimeValue duration) {
    Track track = GetMovieIndTrackType(source, 1, four_cc("vide"), 1);
    if (!track || !copy) return;
    const TimeValue segments[][3] = {
        {duration / 3, duration / 2, 0}, {duration - 1, 1, duration}, {0, duration, largest},
        {largest, 1, 0},                 {0, largest, 0},             {-1, 1, 0},
    };
    for (const auto& s : segments) InsertTrackSegment(track, copy, s[0], s[1], s[2]);
}

void drive_writer_routines(const std::string& frames) {
    const std::string intermediate = fuzz_scratch::next_path("dispatch", "intermediate");
    const std::string flattened = fuzz_scratch::next_path("dispatch", "flat");
    FSSpec source_spec = spec_of(frames);
    FSSpec target_spec = spec_of(intermediate);
    FSSpec flat_spec = spec_of(flattened);

    std::int16_t source_file = 0, target_file = 0;
    Movie source = nullptr, target = nullptr;
    if (OpenMovieFile(&source_spec, &source_file, 1) == noErr &&
        NewMovieFromFile(&source, source_file, nullptr, nullptr, 0, nullptr) == noErr &&
        CreateMovieFile(&target_spec, four_cc("TVOD"), -2, static_cast<std::int32_t>(0x90000000u), &target_file,
                        &target) == noErr) {
        Track video = GetMovieIndTrackType(source, 1, four_cc("vide"), 1);
        const TimeValue duration = video ? GetTrackDuration(video) : 0;
        probe_interesting_times(source, duration);
        Track copy = nullptr;
        copy_video_track(source, target, &copy);
        insert_more_segments(source, copy, duration);
        std::int16_t id = -1;
        if (AddMovieResource(target, target_file, &id, nullptr) == noErr) {
            Movie flat = FlattenMovieData(target, 73, &flat_spec, four_cc("TVOD"), -1,
                                          static_cast<std::int32_t>(0x90000000u));
            if (flat) {
                DisposeMovie(flat);
                medialayer::MovieModel reread;
                if (medialayer::load_movie_file(flattened, reread) != noErr) std::abort();  // our own output must load
            }
        }
    }
    if (target) DisposeMovie(target);
    if (target_file) CloseMovieFile(target_file);
    if (source) DisposeMovie(source);
    if (source_file) CloseMovieFile(source_file);
    std::remove(intermediate.c_str());
    std::remove(flattened.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The plug-in's stubs go straight to the dispatcher linked in here.
    qt_bind_hook = nullptr;
    qt_dispatcher = theQuickTimeDispatcher;
    const std::string path = fuzz_scratch::next_path("dispatch", "in");
    if (fuzz_scratch::write_file(path, data, size)) drive_writer_routines(path);
    std::remove(path.c_str());
    return 0;
}
