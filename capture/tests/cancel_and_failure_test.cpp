// A capture stopped by the user or broken by a failing host operation: the
// scene is put back, no temporary file stays, every host object is released,
// and the object movie holds exactly the rows completed.
#include <gtest/gtest.h>

#include "capture/tests/capture_session.h"
#include "capture/tests/movie_probe.h"

namespace {

class CancelAndFailure : public CaptureSession {
protected:
    // Stereo and a following light, so that image size, camera and light all change during the capture.
    simhost::SessionOptions changing_everything(std::int32_t columns, std::int32_t rows) const {
        simhost::SessionOptions options = small_capture(columns, rows);
        options.dialog.stereo = true;
        options.dialog.light_follows = true;
        return options;
    }

    simhost::CommandResult run_keeping_setup(simhost::SessionOptions options) {
        start(std::move(options));
        const UserSetup before = user_setup();
        const simhost::CommandResult result = run();
        expect_same_setup(before, user_setup());
        EXPECT_TRUE(result.audit.clean()) << result.audit.text();
        EXPECT_TRUE(result.problems.empty()) << result.problems.front();
        EXPECT_TRUE(temporary_dir.entries().empty());
        return result;
    }
};

TEST_F(CancelAndFailure, AbortInTheThirdRowKeepsTheTwoRowsBefore) {
    simhost::SessionOptions options = changing_everything(4, 13);
    options.abort_at_frame = 2 * 4 + 2;
    const simhost::CommandResult result = run_keeping_setup(std::move(options));
    EXPECT_TRUE(result.returned) << result.exception;
    EXPECT_TRUE(result.abort_raised);
    EXPECT_EQ(result.frames_recorded, 10);

    EXPECT_EQ(ffprobe_frame_count(output_path), 8);
    const auto record = read_object_record(output_path);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->rows, 2);
    EXPECT_EQ(record->columns, 4);
    EXPECT_EQ(output_dir.entries(), std::vector<std::string>{"vase.mov"});
}

TEST_F(CancelAndFailure, AbortOnTheLastFrameOfARowKeepsThatRow) {
    simhost::SessionOptions options = small_capture(4, 13);
    options.abort_at_frame = 4;
    const simhost::CommandResult result = run_keeping_setup(std::move(options));
    EXPECT_TRUE(result.returned) << result.exception;
    // "Container" was turned after each of the 4 frames; the row's tilt, pending at the stop, never came.
    EXPECT_EQ(session().calls().count("scene", "find_object"), 4u);
    EXPECT_EQ(ffprobe_frame_count(output_path), 4);
    const auto record = read_object_record(output_path);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->rows, 1);
}

TEST_F(CancelAndFailure, AbortInTheFirstRowLeavesAnOlderMovieAlone) {
    write_file(output_path, "an older movie");
    simhost::SessionOptions options = changing_everything(4, 13);
    options.abort_at_frame = 2;
    const simhost::CommandResult result = run_keeping_setup(std::move(options));
    EXPECT_TRUE(result.returned) << result.exception;
    EXPECT_EQ(read_file(output_path), "an older movie");
    EXPECT_EQ(output_dir.entries(), std::vector<std::string>{"vase.mov"});
    EXPECT_EQ(session().windowing().beeps().size(), 1u);  // the command still ends with its beep
}

TEST_F(CancelAndFailure, AHostFailureMidLoopGoesToTheHostAfterCleaningUp) {
    simhost::SessionOptions options = changing_everything(4, 13);
    options.faults.push_back({"renderer.render", 2 * 6 + 1, simhost::InjectedFault::Action::throw_error});
    const simhost::CommandResult result = run_keeping_setup(std::move(options));
    EXPECT_FALSE(result.returned);
    EXPECT_NE(result.exception.find("renderer.render"), std::string::npos) << result.exception;
    EXPECT_TRUE(output_dir.entries().empty());
    EXPECT_EQ(session().calls().count("renderer", "end_recording"), 1u);
}

TEST_F(CancelAndFailure, AFailureWhileCleaningUpDoesNotReplaceTheFirst) {
    simhost::SessionOptions options = changing_everything(4, 13);
    options.faults.push_back({"renderer.render", 3, simhost::InjectedFault::Action::throw_error});
    options.faults.push_back({"renderer.set_image_size", 4, simhost::InjectedFault::Action::throw_error});
    start(std::move(options));
    const UserSetup before = user_setup();
    const simhost::CommandResult result = run();
    EXPECT_FALSE(result.returned);
    EXPECT_NE(result.exception.find("call 3 of renderer.render"), std::string::npos) << result.exception;
    // The image size could not be put back; the camera and the light still were.
    const UserSetup after = user_setup();
    EXPECT_EQ(after.camera_index, before.camera_index);
    EXPECT_EQ(float(after.light.y), float(before.light.y));
    EXPECT_TRUE(result.audit.clean()) << result.audit.text();
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    EXPECT_TRUE(temporary_dir.entries().empty());
}

TEST_F(CancelAndFailure, AFailureWhilePreparingTheRigPutsBackWhatWasChanged) {
    simhost::SessionOptions options = changing_everything(4, 13);
    options.faults.push_back({"scene.make_part", 1, simhost::InjectedFault::Action::throw_error});
    const simhost::CommandResult result = run_keeping_setup(std::move(options));
    EXPECT_FALSE(result.returned);
    EXPECT_EQ(session().calls().count("scene", "end_preparation"), 1u);
    EXPECT_TRUE(session().progress().empty());
    EXPECT_EQ(session().calls().count("renderer", "start_recording"), 0u);
}

TEST_F(CancelAndFailure, AMissingContainerIsSkipped) {
    simhost::SessionOptions options = small_capture(3, 2);
    options.faults.push_back({"scene.find_object", 2, simhost::InjectedFault::Action::return_null});
    const simhost::CommandResult result = run_keeping_setup(std::move(options));
    EXPECT_TRUE(result.returned) << result.exception;
    EXPECT_EQ(result.frames_recorded, 6);
    EXPECT_EQ(session().calls().count("part", "transform"), 1u + 6 + 2 - 1);
}

TEST_F(CancelAndFailure, AMissingImageCopyLeavesItsHalfEmpty) {
    simhost::SessionOptions options = small_capture(2, 1);
    options.dialog.stereo = true;
    options.faults.push_back({"image.copy", 2, simhost::InjectedFault::Action::return_null});
    const simhost::CommandResult result = run_keeping_setup(std::move(options));
    EXPECT_TRUE(result.returned) << result.exception;
    EXPECT_EQ(result.frames_recorded, 2);
    // Only the right half of the first frame is drawn.
    EXPECT_EQ(session().calls().count("canvas", "copy_image_into"), 1u + 2);
}

TEST_F(CancelAndFailure, EachCommandCountsItsOwnProgress) {
    start(small_capture(2, 1));
    ASSERT_TRUE(run().ok());
    session().options().dialog.columns = 3;
    const simhost::CommandResult second = run();
    ASSERT_TRUE(second.ok()) << second.exception;

    const auto& windows = session().windowing().windows();
    ASSERT_EQ(windows.size(), 2u);
    ASSERT_EQ(windows[1].texts.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(windows[1].texts[i].rfind("progress  " + std::to_string(i + 1) + "/3 (remain ", 0), 0u)
            << windows[1].texts[i];
    EXPECT_EQ(windows[0].texts.size(), 2u);  // nothing of the second command went to the closed window
}

}  // namespace
