// A QuickTime step failing anywhere in the writer: the step's code comes back,
// nothing is left held, the intermediate file is gone, an older output file
// is untouched and the user still hears the beep.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <ostream>

#include "medialayer/tests/atom_walk.h"
#include "objectmovie/tests/writer_fixture.h"
#include "objectmovie/write_object_movie.h"
#include "quicktime/qt_calls.h"
#include "quicktime/qt_selectors.h"

namespace {

using fixtures::read_file;
using namespace atom_walk;

constexpr OSErr injected = -5123;  // a code no step produces by itself

struct StepFault {
    const char* name;
    std::uint32_t selector;
    std::uint32_t occurrence;  // of the selector within one run
    OSErr status;              // what the writer must report
    bool output_written;       // the failure's outcome is one the writer ignores
};

namespace sel = qt_selector;

// The media layer fails a routine by skipping it: calls with results answer
// the code, the others answer nothing (a null handle, a zero) and note the
// code as the movies' sticky error.
const StepFault step_faults[] = {
    // Assembly.
    {"create_intermediate", sel::CreateMovieFile, 1, injected, false},
    {"open_frame_movie", sel::OpenMovieFile, 1, injected, false},
    {"load_frame_movie", sel::NewMovieFromFile, 1, injected, false},
    {"play_hints", sel::SetMoviePlayHints, 1, noErr, true},
    {"measure_frame_duration", sel::GetMovieNextInterestingTime, 1, noErr, true},
    // The track copy: every step's failure surfaces through the sticky error.
    {"clear_sticky_error", sel::ClearMoviesStickyError, 1, injected, false},
    {"find_video_track", sel::GetMovieIndTrackType, 1, paramErr, false},
    {"track_media", sel::GetTrackMedia, 1, injected, false},
    {"track_dimensions", sel::GetTrackDimensions, 1, injected, false},
    {"track_volume", sel::GetTrackVolume, 1, injected, false},
    {"new_track", sel::NewMovieTrack, 1, injected, false},
    {"media_type", sel::GetMediaHandlerDescription, 1, injected, false},
    {"media_time_scale", sel::GetMediaTimeScale, 1, injected, false},
    {"new_media", sel::NewTrackMedia, 1, injected, false},
    {"track_duration", sel::GetTrackDuration, 1, injected, false},
    {"insert_segment", sel::InsertTrackSegment, 1, injected, false},
    {"copy_settings", sel::CopyTrackSettings, 1, injected, false},
    {"get_layer", sel::GetTrackLayer, 1, injected, false},
    {"set_layer", sel::SetTrackLayer, 1, injected, false},
    {"enable_track", sel::SetTrackEnabled, 1, injected, false},
    {"sticky_error", sel::GetMoviesStickyError, 1, injected, false},
    {"view_time", sel::GetMovieTime, 1, noErr, true},
    {"allocate_record", sel::NewPtr, 1, memFullErr, false},
    {"record_user_data", sel::GetMovieUserData, 1, userDataItemNotFound, false},
    {"store_record", sel::SetUserDataItem, 1, injected, false},
    {"controller_user_data", sel::GetMovieUserData, 2, paramErr, false},
    {"store_controller_type", sel::SetUserDataItem, 2, injected, false},
    {"poster_time", sel::SetMoviePosterTime, 1, noErr, true},
    {"current_time", sel::SetMovieTimeValue, 1, noErr, true},
    {"preview_time", sel::SetMoviePreviewTime, 1, noErr, true},
    {"store_movie", sel::AddMovieResource, 1, injected, false},
    // Finalisation.
    {"reopen_intermediate", sel::OpenMovieFile, 2, injected, false},
    {"reload_intermediate", sel::NewMovieFromFile, 2, injected, false},
    {"flatten", sel::FlattenMovieData, 1, ioErr, false},
};

void PrintTo(const StepFault& f, std::ostream* out) { *out << f.name; }

class StepFailure : public WriterTest, public testing::WithParamInterface<StepFault> {};

TEST_P(StepFailure, ReportsTheStepAndLeavesNothingBehind) {
    const StepFault& f = GetParam();
    ASSERT_EQ(fixtures::write_frame_movie(frames, 4, 100), 0);
    write_older_output();
    const std::vector<std::uint8_t> recorded = read_file(frames);

    controls.fault_on_selector(f.selector, injected, f.occurrence);
    EXPECT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), 2, 2), f.status);

    EXPECT_EQ(os.beeps, std::vector<std::uint32_t>{0});
    EXPECT_EQ(output_folder.names(), std::vector<std::string>{"scene.mov"});  // no intermediate
    EXPECT_EQ(read_file(frames), recorded);
    if (f.output_written) {
        std::unique_ptr<medialayer::MovieReader> movie;
        EXPECT_EQ(medialayer::MovieReader::open(output, movie), 0);
    } else {
        EXPECT_EQ(read_file(output), older_output);
    }
    expect_nothing_held();
}

INSTANTIATE_TEST_SUITE_P(Steps, StepFailure, testing::ValuesIn(step_faults),
                         [](const testing::TestParamInfo<StepFault>& info) { return std::string(info.param.name); });

class FlattenFailingPartWay : public WriterTest {
protected:
    // The disk fills up in the middle of the media data; the intermediate
    // file, a movie without media data, is far smaller.
    void fill_the_disk_part_way() {
        ASSERT_EQ(fixtures::write_frame_movie(frames, 24, 100), 0);
        // A clean run tells how large the output becomes.
        const std::string probe = output_folder.file("probe.mov");
        ASSERT_EQ(write_object_movie_status(frames.c_str(), probe.c_str(), 6, 4), noErr);
        const auto full_size = read_file(probe).size();
        std::filesystem::remove(probe);
        controls.fault_on_write(full_size - 4 * fixtures::frame_pixels(0).size(), dskFulErr);
    }
};

TEST_F(FlattenFailingPartWay, KeepsTheOlderOutputWhicheverWayTheFlattenReplaces) {
    fill_the_disk_part_way();
    // Our media layer's flatten replaces its target atomically; QuickTime's
    // deletes it first. The writer's own replace keeps the output either way.
    for (const bool like_quicktime : {false, true}) {
        write_older_output();
        controls.flatten_deletes_first(like_quicktime);
        EXPECT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), 6, 4), ioErr);
        EXPECT_EQ(read_file(output), older_output) << like_quicktime;
        EXPECT_EQ(output_folder.names(), std::vector<std::string>{"scene.mov"});
    }
    EXPECT_EQ(os.beeps, (std::vector<std::uint32_t>{0, 0, 0}));
    expect_nothing_held();
}

// What the writer guards against: flattened straight onto the output the way
// QuickTime does it, the same full disk loses the older file.
TEST_F(FlattenFailingPartWay, QuickTimesWayOntoTheOutputItselfLosesTheOlderFile) {
    fill_the_disk_part_way();
    write_older_output();
    controls.flatten_deletes_first(1);
    FSSpec frame_spec{}, output_spec{};
    std::string frame_path = frames, output_path = output;
    NativePathNameToFSSpec(frame_path.data(), &frame_spec, 0);
    NativePathNameToFSSpec(output_path.data(), &output_spec, 0);
    std::int16_t file = 0;
    ASSERT_EQ(OpenMovieFile(&frame_spec, &file, 1), noErr);
    Movie movie = nullptr;
    ASSERT_EQ(NewMovieFromFile(&movie, file, nullptr, nullptr, 0, nullptr), noErr);
    // All 24 frames: past the limit, as the object movie of them was.
    EXPECT_EQ(FlattenMovieData(movie, 73, &output_spec, four_cc("TVOD"), -1, static_cast<std::int32_t>(0x90000000u)),
              nullptr);
    DisposeMovie(movie);
    CloseMovieFile(file);
    EXPECT_FALSE(std::filesystem::exists(output));
}

// Relabels the frame movie's only track as sound, so it has no video track.
bool make_video_track_sound(const std::string& path) {
    std::vector<std::uint8_t> bytes = read_file(path);
    // Each level's list is kept while the next level is searched.
    const auto top = atoms_in(bytes, 0, bytes.size());
    const AtomSpan* moov = find_atom(top, "moov");
    if (!moov) return false;
    const auto movie = atoms_in(bytes, *moov);
    const AtomSpan* trak = find_atom(movie, "trak");
    if (!trak) return false;
    const auto track = atoms_in(bytes, *trak);
    const AtomSpan* mdia = find_atom(track, "mdia");
    if (!mdia) return false;
    const auto media = atoms_in(bytes, *mdia);
    const AtomSpan* hdlr = find_atom(media, "hdlr");
    // Version and flags, component type, then the subtype.
    if (!hdlr || hdlr->end - hdlr->payload < 12) return false;
    std::uint8_t* subtype = &bytes[hdlr->payload + 8];
    if (std::string(reinterpret_cast<char*>(subtype), 4) != "vide") return false;
    std::memcpy(subtype, "soun", 4);
    fixtures::write_file(path, bytes);
    return true;
}

TEST_F(WriterTest, FrameMovieWithoutAVideoTrackIsAParameterError) {
    ASSERT_EQ(fixtures::write_frame_movie(frames, 4, 100), 0);
    ASSERT_TRUE(make_video_track_sound(frames));
    write_older_output();

    EXPECT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), 2, 2), paramErr);
    EXPECT_EQ(os.beeps, std::vector<std::uint32_t>{0});
    EXPECT_EQ(output_folder.names(), std::vector<std::string>{"scene.mov"});
    EXPECT_EQ(read_file(output), older_output);
    expect_nothing_held();
}

}  // namespace
