// Failures injected into the writer's path: whatever fails, an older output
// survives byte for byte, no temporary is left, and nothing leaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "medialayer/movie_api.h"
#include "qts_library.h"
#include "test_files.h"
#include "writer_calls.h"
#include "writer_path_fixture.h"

namespace qts_test {
namespace {

// Each test starts with an older object.mov in place.
class FaultInjection : public WriterPathTest {
protected:
    void SetUp() override {
        WriterPathTest::SetUp();
        write_bytes(dir.file("object.mov"), older_output);
    }
};

struct FlattenFailure {
    const char* name;
    std::function<void(QtsLibrary&, const ScratchDir&)> arm;  // runs once the intermediate is loaded
    OSErr expected;                                          // sticky error, or noErr for "any"
};

class FlattenFailsPartWay : public FaultInjection, public ::testing::WithParamInterface<FlattenFailure> {};

TEST_P(FlattenFailsPartWay, LeavesOlderOutputAndNoTemporary) {
    ASSERT_EQ(assemble_reference_movie(intermediate, source, sample_record()), noErr);

    std::int16_t file = 0;
    Movie movie = nullptr;
    ASSERT_EQ(qt::OpenMovieFile(&intermediate, &file, 1), noErr);
    ASSERT_EQ(qt::NewMovieFromFile(&movie, file, nullptr, nullptr, 0, nullptr), noErr);
    GetParam().arm(library, dir);
    qt::ClearMoviesStickyError();
    EXPECT_EQ(qt::FlattenMovieData(movie, 73, &output, four_cc("TVOD"), -1, std::int32_t(0x90000000u)), nullptr);
    const OSErr sticky = qt::GetMoviesStickyError();
    if (GetParam().expected != noErr) {
        EXPECT_EQ(sticky, GetParam().expected);
    } else {
        EXPECT_NE(sticky, noErr);
    }
    library.fault_reset();
    qt::DisposeMovie(movie);
    EXPECT_EQ(qt::CloseMovieFile(file), noErr);
    EXPECT_EQ(qt::DeleteMovieFile(&intermediate), noErr);

    EXPECT_EQ(read_bytes(dir.file("object.mov")), older_output);
    std::vector<std::string> left = dir.entries();
    left.erase(std::remove(left.begin(), left.end(), "frames.mov"), left.end());
    EXPECT_EQ(left, std::vector<std::string>{"object.mov"});
    const medialayer_live_counts counts = library.live_counts();
    EXPECT_EQ(counts.movies, 0);
    EXPECT_EQ(counts.open_files, 0);
    EXPECT_EQ(counts.pointers, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, FlattenFailsPartWay,
    ::testing::Values(
        FlattenFailure{"DiskFillsAfterMovieHeader",
                       [](QtsLibrary& l, const ScratchDir&) { l.fault_on_write(20000, dskFulErr); }, dskFulErr},
        FlattenFailure{"DiskFillsAtFirstByte", [](QtsLibrary& l, const ScratchDir&) { l.fault_on_write(0, dskFulErr); },
                       dskFulErr},
        FlattenFailure{"SourceTruncated",
                       [](QtsLibrary&, const ScratchDir& d) {
                           std::filesystem::resize_file(d.file("frames.mov"), 30000);
                       },
                       noErr},
        FlattenFailure{"SourceRemoved",
                       [](QtsLibrary&, const ScratchDir& d) { std::filesystem::remove(d.file("frames.mov")); },
                       noErr}),
    [](const ::testing::TestParamInfo<FlattenFailure>& info) { return std::string(info.param.name); });

TEST_F(FaultInjection, SelectorFaultHitsTheChosenOccurrenceOnly) {
    // The second SetUserDataItem of the path is the controller type.
    library.fault_on_selector(qt_selector::SetUserDataItem, dskFulErr, 2);
    EXPECT_EQ(assemble_reference_movie(intermediate, source, sample_record()), dskFulErr);
    library.fault_reset();
    EXPECT_EQ(assemble_reference_movie(intermediate, source, sample_record()), noErr);
}

TEST_F(FaultInjection, FailedValueRoutineAnswersZeroAndRaisesTheStickyError) {
    // GetTrackDuration answers no OSErr: the track copy learns of its failure
    // from the sticky error, which the copy reports.
    library.fault_on_selector(qt_selector::GetTrackDuration, dskFulErr, 1);
    EXPECT_EQ(assemble_reference_movie(intermediate, source, sample_record()), dskFulErr);
    library.fault_reset();

    Movie movie = nullptr;
    std::int16_t file = 0;
    ASSERT_EQ(qt::OpenMovieFile(&source, &file, 1), noErr);
    ASSERT_EQ(qt::NewMovieFromFile(&movie, file, nullptr, nullptr, 0, nullptr), noErr);
    qt::ClearMoviesStickyError();
    library.fault_on_selector(qt_selector::GetMovieIndTrackType, invalidMovie, 1);
    EXPECT_EQ(qt::GetMovieIndTrackType(movie, 1, four_cc("vide"), 1), nullptr);
    EXPECT_EQ(qt::GetMoviesStickyError(), invalidMovie);
    EXPECT_NE(qt::GetMovieIndTrackType(movie, 1, four_cc("vide"), 1), nullptr);
    qt::DisposeMovie(movie);
    qt::CloseMovieFile(file);
}

TEST_F(FaultInjection, CallFaultCountsFromWhenPlanned) {
    library.fault_reset();
    EXPECT_EQ(library.call_count(), 0u);
    qt::ClearMoviesStickyError();
    qt::ClearMoviesStickyError();
    library.dispatcher(0x7FFF0001u);  // unknown selectors count too
    EXPECT_EQ(library.call_count(), 3u);

    qt::ClearMoviesStickyError();
    library.fault_on_call(2, dskFulErr);
    EXPECT_EQ(qt::GetMoviesStickyError(), noErr);
    EXPECT_EQ(qt::GetMoviesStickyError(), dskFulErr);  // the planned call reports the code...
    EXPECT_EQ(qt::GetMoviesStickyError(), dskFulErr);  // ...which stays as the sticky error
    qt::ClearMoviesStickyError();
    EXPECT_EQ(qt::GetMoviesStickyError(), noErr);  // and the plan fired once
}

}  // namespace
}  // namespace qts_test
