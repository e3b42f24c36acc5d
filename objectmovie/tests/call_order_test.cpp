// The QuickTime calls the writer makes, their arguments and their order,
// including the order in which files and movies are released on each path.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "objectmovie/tests/recording_dispatcher.h"
#include "objectmovie/write_object_movie.h"
#include "platform/tests/test_platform.h"
#include "quicktime/qt_selectors.h"

namespace {

using Calls = std::vector<std::string>;

// Up to the track copy: the frame movie is opened and measured first.
const Calls opening = {
    "NativePathNameToFSSpec /frames/scene.mov 0",
    "NativePathNameToFSSpec /out/scene.mov 0",
    "CreateMovieFile 2:scene.mot TVOD -2 0x90000000",
    "OpenMovieFile 1:scene.mov 1",
    "NewMovieFromFile 21 none none 0 none",
    "SetMoviePlayHints frame-movie 0x100 0x100",
    "GetMovieNextInterestingTime frame-movie 1 0 none 0 0x10000 none",
};

// Two complete rows of four, 100 units a frame: 800 of the track's 1000 units.
const Calls track_copy = {
    "ClearMoviesStickyError",
    "GetMovieIndTrackType frame-movie 1 vide 1",
    "GetTrackMedia frame-track",
    "GetTrackDimensions frame-track",
    "GetTrackVolume frame-track",
    "NewMovieTrack new-movie 0x100000 0xC0000 0x100",
    "GetMediaHandlerDescription frame-media none none",
    "GetMediaTimeScale frame-media",
    "NewTrackMedia new-track vide 600 none 0",
    "GetTrackDuration frame-track",
    "InsertTrackSegment frame-track new-track 0 800 0",
    "CopyTrackSettings frame-track new-track",
    "GetTrackLayer frame-track",
    "SetTrackLayer new-track 3",
    "SetTrackEnabled new-track 1",
    "GetMoviesStickyError",
};

const Calls object_items = {
    "GetMovieTime frame-movie none",
    "NewPtr 48",
    "GetMovieUserData new-movie",
    "SetUserDataItem user-data record 48 NAVG 0",
    "GetMovieUserData new-movie",
    "SetUserDataItem user-data stna 4 ctyp 0",
    "SetMoviePosterTime new-movie 1500",
    "SetMovieTimeValue new-movie 1500",
    "SetMoviePreviewTime new-movie 1500 100",
    "AddMovieResource new-movie 11 -1 none",
};

const Calls assembly_release = {
    "DisposePtr record",
    "CloseMovieFile 21",
    "DisposeMovie frame-movie",
    "CloseMovieFile 11",
    "DisposeMovie new-movie",
};

const Calls finalisation = {
    "OpenMovieFile 2:scene.mot 1",
    "NewMovieFromFile 31 none none 0 none",
    "FlattenMovieData reloaded-movie 73 2:scene.mo@ TVOD -1 0x90000000",
    "DisposeMovie flattened-movie",
    "DisposeMovie reloaded-movie",
    "CloseMovieFile 31",
    "DeleteMovieFile 2:scene.mot",
};

Calls joined(std::initializer_list<const Calls*> parts) {
    Calls all;
    for (const Calls* part : parts) all.insert(all.end(), part->begin(), part->end());
    return all;
}

class CallOrder : public testing::Test {
protected:
    CallOrder() { os.files.emplace(); }  // no file exists beside the output
    OSErr run() { return write_object_movie_status("/frames/scene.mov", "/out/scene.mov", 2, 4); }

    TestPlatform os;
    RecordingDispatcher quicktime;
};

TEST_F(CallOrder, FullRunMakesEveryCallOnceInOrder) {
    EXPECT_EQ(run(), noErr);
    EXPECT_EQ(quicktime.calls, joined({&opening, &track_copy, &object_items, &assembly_release, &finalisation}));
    // The movie is flattened beside the output and replaces it only once complete.
    EXPECT_EQ(os.file_operations, std::vector<std::string>{"replace /out/scene.mo@ -> /out/scene.mov"});
    EXPECT_EQ(os.beeps, std::vector<std::uint32_t>{0});
}

TEST_F(CallOrder, UnmeasuredFrameDurationCopiesTheWholeTrack) {
    quicktime.sample_duration = 0;
    EXPECT_EQ(run(), noErr);
    EXPECT_NE(std::find(quicktime.calls.begin(), quicktime.calls.end(),
                        "InsertTrackSegment frame-track new-track 0 1000 0"),
              quicktime.calls.end());
}

// A frame of 40000 units is 0x9C40, -25536 as the record's 16-bit field; the preview lasts that.
TEST_F(CallOrder, PreviewLastsTheRecordsSixteenBitFrameDuration) {
    quicktime.sample_duration = 40000;
    EXPECT_EQ(run(), noErr);
    EXPECT_NE(std::find(quicktime.calls.begin(), quicktime.calls.end(), "SetMoviePreviewTime new-movie 1500 -25536"),
              quicktime.calls.end());
}

// Paths live in 260-byte buffers: 259 characters and the zero fit, 260 do not.
TEST_F(CallOrder, AnOutputPathOf259CharactersFitsAndOf260IsRefused) {
    for (const std::size_t length : {259u, 260u}) {
        const std::string output = "/out/" + std::string(length - 9, 'n') + ".mov";
        ASSERT_EQ(output.size(), length);
        quicktime.calls.clear();
        EXPECT_EQ(write_object_movie_status("/frames/scene.mov", output.c_str(), 2, 4), length == 259 ? noErr : paramErr);
        EXPECT_EQ(quicktime.calls.empty(), length == 260);
    }
}

struct FailedStep {
    const char* name;
    std::uint32_t selector;
    std::uint32_t occurrence;
    OSErr status;
    Calls tail;  // every call from the failing one to the end
};

void PrintTo(const FailedStep& f, std::ostream* out) { *out << f.name; }

namespace sel = qt_selector;
constexpr OSErr code = -9;

const FailedStep failed_steps[] = {
    {"create_intermediate", sel::CreateMovieFile, 1, code,
     {"CreateMovieFile 2:scene.mot TVOD -2 0x90000000 -> fails", "DeleteMovieFile 2:scene.mot"}},
    {"open_frame_movie", sel::OpenMovieFile, 1, code,
     {"OpenMovieFile 1:scene.mov 1 -> fails", "CloseMovieFile 11", "DisposeMovie new-movie",
      "DeleteMovieFile 2:scene.mot"}},
    {"load_frame_movie", sel::NewMovieFromFile, 1, code,
     {"NewMovieFromFile 21 none none 0 none -> fails", "CloseMovieFile 21", "CloseMovieFile 11",
      "DisposeMovie new-movie", "DeleteMovieFile 2:scene.mot"}},
    {"no_video_track", sel::GetMovieIndTrackType, 1, paramErr,
     {"GetMovieIndTrackType frame-movie 1 vide 1 -> fails", "CloseMovieFile 21", "DisposeMovie frame-movie",
      "CloseMovieFile 11", "DisposeMovie new-movie", "DeleteMovieFile 2:scene.mot"}},
    {"record_not_allocated", sel::NewPtr, 1, memFullErr,
     {"NewPtr 48 -> fails", "CloseMovieFile 21", "DisposeMovie frame-movie", "CloseMovieFile 11",
      "DisposeMovie new-movie", "DeleteMovieFile 2:scene.mot"}},
    {"no_user_data", sel::GetMovieUserData, 1, userDataItemNotFound,
     {"GetMovieUserData new-movie -> fails", "DisposePtr record", "CloseMovieFile 21", "DisposeMovie frame-movie",
      "CloseMovieFile 11", "DisposeMovie new-movie", "DeleteMovieFile 2:scene.mot"}},
    {"record_not_stored", sel::SetUserDataItem, 1, code,
     {"SetUserDataItem user-data record 48 NAVG 0 -> fails", "DisposePtr record", "CloseMovieFile 21",
      "DisposeMovie frame-movie", "CloseMovieFile 11", "DisposeMovie new-movie", "DeleteMovieFile 2:scene.mot"}},
    {"no_user_data_for_controller", sel::GetMovieUserData, 2, paramErr,
     {"GetMovieUserData new-movie -> fails", "DisposePtr record", "CloseMovieFile 21", "DisposeMovie frame-movie",
      "CloseMovieFile 11", "DisposeMovie new-movie", "DeleteMovieFile 2:scene.mot"}},
    {"movie_not_stored", sel::AddMovieResource, 1, code,
     {"AddMovieResource new-movie 11 -1 none -> fails", "DisposePtr record", "CloseMovieFile 21",
      "DisposeMovie frame-movie", "CloseMovieFile 11", "DisposeMovie new-movie", "DeleteMovieFile 2:scene.mot"}},
    {"reopen", sel::OpenMovieFile, 2, code, {"OpenMovieFile 2:scene.mot 1 -> fails", "DeleteMovieFile 2:scene.mot"}},
    {"reload", sel::NewMovieFromFile, 2, code,
     {"NewMovieFromFile 31 none none 0 none -> fails", "CloseMovieFile 31", "DeleteMovieFile 2:scene.mot"}},
    {"flatten", sel::FlattenMovieData, 1, ioErr,
     {"FlattenMovieData reloaded-movie 73 2:scene.mo@ TVOD -1 0x90000000 -> fails", "DisposeMovie reloaded-movie",
      "CloseMovieFile 31", "DeleteMovieFile 2:scene.mot"}},
};

class FailedStepRelease : public CallOrder, public testing::WithParamInterface<FailedStep> {};

TEST_P(FailedStepRelease, ReleasesWhatIsHeldInOrderThenDeletesTheIntermediate) {
    const FailedStep& f = GetParam();
    quicktime.fail_selector = f.selector;
    quicktime.fail_occurrence = f.occurrence;
    quicktime.fail_code = code;

    EXPECT_EQ(run(), f.status);
    ASSERT_GE(quicktime.calls.size(), f.tail.size());
    const Calls tail(quicktime.calls.end() - static_cast<std::ptrdiff_t>(f.tail.size()), quicktime.calls.end());
    EXPECT_EQ(tail, f.tail);
    // Nothing replaces the output; a flatten that gave no movie leaves no file of its own.
    const std::vector<std::string> cleanup{"delete /out/scene.mo@"};
    EXPECT_EQ(os.file_operations, f.selector == sel::FlattenMovieData ? cleanup : std::vector<std::string>{});
    EXPECT_EQ(os.beeps, std::vector<std::uint32_t>{0});
}

INSTANTIATE_TEST_SUITE_P(Steps, FailedStepRelease, testing::ValuesIn(failed_steps),
                         [](const testing::TestParamInfo<FailedStep>& info) { return std::string(info.param.name); });

}  // namespace
