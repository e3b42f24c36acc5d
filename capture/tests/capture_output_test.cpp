// What the capture produces: the object movie's frames, grid and record,
// each frame compared with the host's own rendering of the view it should show.
#include <gtest/gtest.h>

#include <cstdlib>

#include "capture/tests/capture_session.h"
#include "capture/tests/expected_views.h"
#include "capture/tests/movie_probe.h"

namespace {

class CaptureOutput : public CaptureSession {};

// Each frame matches its own view within compression noise, and matches it
// better than the next view in the grid, so a frame out of place shows.
void expect_frames_show_grid(const simhost::Session& session, const simhost::Scene& user_scene,
                             const std::vector<simhost::Image>& frames, int columns, double row_step,
                             double column_step, double tolerance) {
    std::vector<simhost::Image> views;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const int row = static_cast<int>(k) / columns, column = static_cast<int>(k) % columns;
        views.push_back(expected_view(session, user_scene, {row * row_step, column * column_step, 0},
                                      frames[k].width, frames[k].height));
    }
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const double own = mean_difference(frames[k], views[k]);
        EXPECT_LT(own, tolerance) << "frame " << k;
        if (k + 1 < frames.size()) {
            EXPECT_LT(own, mean_difference(frames[k], views[k + 1])) << "frame " << k;
        }
    }
}

TEST_F(CaptureOutput, DefaultCaptureIsATwentyFourByThirteenObjectMovie) {
    simhost::SessionOptions options;
    options.image_size = {64, 48};
    options.save_path = output_path;  // every dialog value as the plug-in presets it
    const simhost::Scene user_scene = options.scene;
    start(std::move(options));
    const simhost::CommandResult result = run();
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();

    EXPECT_EQ(ffprobe_frame_count(output_path), 312);
    const auto record = read_object_record(output_path);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->columns, 24);
    EXPECT_EQ(record->rows, 13);
    EXPECT_EQ(read_controller_type(output_path), std::optional<std::string>("stna"));

    const std::vector<simhost::Image> frames = ffmpeg_frames(output_path, 64, 48);
    ASSERT_EQ(frames.size(), 312u);
    expect_frames_show_grid(session(), user_scene, frames, 24, 15.0, 15.0, 10.0);  // Photo-JPEG noise
    EXPECT_TRUE(temporary_dir.entries().empty());
    EXPECT_EQ(output_dir.entries(), std::vector<std::string>{"vase.mov"});
}

TEST_F(CaptureOutput, UpperHemisphereCapturesRowsFromAboveToTheSide) {
    simhost::SessionOptions options = small_capture(4, 13);
    options.dialog.upper_hemisphere = true;
    const simhost::Scene user_scene = options.scene;
    start(std::move(options));
    const simhost::CommandResult result = run();
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();

    EXPECT_EQ(ffprobe_frame_count(output_path), 7 * 4);
    const auto record = read_object_record(output_path);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->rows, 7);
    EXPECT_EQ(record->columns, 4);
    EXPECT_EQ(session().progress().at(0).high, 28);
    // Tilts of 0 to 90 degrees in 15 degree steps.
    expect_frames_show_grid(session(), user_scene, ffmpeg_frames(output_path, 64, 48), 4, 15.0, 90.0, 1.0);
}

TEST_F(CaptureOutput, OneRowIsARingWithoutTilt) {
    const simhost::SessionOptions options = small_capture(6, 1);
    const simhost::Scene user_scene = options.scene;
    start(options);
    const simhost::CommandResult result = run();
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();

    EXPECT_EQ(ffprobe_frame_count(output_path), 6);
    const auto record = read_object_record(output_path);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->rows, 1);
    // The tilt after the only row is no tilt at all.
    const simhost::CallRecord tilt = session().calls().of("part", "transform").back();
    const std::vector<double> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(std::vector<double>(tilt.numbers.end() - 16, tilt.numbers.end()), identity);
    expect_frames_show_grid(session(), user_scene, ffmpeg_frames(output_path, 64, 48), 6, 0.0, 60.0, 1.0);
}

// With stereo, frames are pairs twice as wide: "CameraL" on the left whichever way the eyes are crossed.
TEST_F(CaptureOutput, StereoPairsPutTheLeftCameraOnTheLeft) {
    struct Case {
        std::int32_t method;
        double left_offset;  // degrees "CameraL" is turned about Z
    } cases[] = {{0, 10.0}, {1, -10.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method == 0 ? "parallel" : "cross");
        simhost::SessionOptions options = small_capture(2, 2);
        options.dialog.stereo = true;
        options.dialog.method = c.method;
        options.dialog.parallax = 20.0f;
        options.keep_frame_images = true;
        const simhost::Scene user_scene = options.scene;
        start(std::move(options));
        const simhost::CommandResult result = run();
        ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();

        const auto& frames = session().recorded_frames();
        ASSERT_EQ(frames.size(), 4u);
        for (std::size_t k = 0; k < frames.size(); ++k) {
            ASSERT_TRUE(frames[k].image);
            const simhost::Image& pair = *frames[k].image;
            ASSERT_EQ(pair.width, 128);
            ASSERT_EQ(pair.height, 48);
            const double tilt = (k / 2) * 180.0, pan = (k % 2) * 180.0;
            const simhost::Image left = expected_view(session(), user_scene, {tilt, pan, c.left_offset}, 64, 48);
            const simhost::Image right = expected_view(session(), user_scene, {tilt, pan, -c.left_offset}, 64, 48);
            EXPECT_LT(mean_difference(half_of(pair, false), left), 1.0) << "frame " << k;
            EXPECT_LT(mean_difference(half_of(pair, true), right), 1.0) << "frame " << k;
            EXPECT_LT(mean_difference(half_of(pair, false), left), mean_difference(half_of(pair, false), right));
        }
        EXPECT_EQ(ffprobe_frame_count(output_path), 4);
        EXPECT_EQ(session().image_size().width, 64);
    }
}

TEST_F(CaptureOutput, SavingIntoTheTemporaryDirectoryKeepsTheMovie) {
    simhost::SessionOptions options = small_capture(3, 2);
    options.save_path = temporary_dir.file("vase.mov");
    start(std::move(options));
    const simhost::CommandResult result = run();
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();

    // The frames went to a name of their own, which is gone again.
    EXPECT_NE(session().calls().of("renderer", "start_recording").at(0).arguments.find(temporary_dir.file("vase~1.mov")),
              std::string::npos);
    EXPECT_EQ(temporary_dir.entries(), std::vector<std::string>{"vase.mov"});
    EXPECT_EQ(ffprobe_frame_count(temporary_dir.file("vase.mov")), 6);
}

// The README's demo command: orbivane-host with every default.
TEST_F(CaptureOutput, DemoCommandWritesTheDefaultObjectMovie) {
    const std::string demo = output_dir.file("demo.mov");
    const std::string command = std::string("'") + ORBIVANE_TEST_HOST_PATH + "' --out '" + demo + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ffprobe_frame_count(demo), 312);
    const auto record = read_object_record(demo);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->columns, 24);
    EXPECT_EQ(record->rows, 13);
    EXPECT_EQ(read_controller_type(demo), std::optional<std::string>("stna"));
    const std::vector<simhost::Image> frames = ffmpeg_frames(demo, 320, 240);
    ASSERT_EQ(frames.size(), 312u);
    // The host renders the views itself from the same built-in scene.
    const simhost::Session host;
    expect_frames_show_grid(host, simhost::demo_scene(), frames, 24, 15.0, 15.0, 10.0);
    EXPECT_EQ(output_dir.entries(), std::vector<std::string>{"demo.mov"});
}

}  // namespace
