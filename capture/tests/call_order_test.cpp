// The host calls of small captures, against the order and arguments the
// command, the rig and the frame recording are built to make.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "capture/capture_command.h"
#include "capture/capture_settings.h"
#include "capture/tests/capture_session.h"
#include "capture/tests/expected_calls.h"
#include "geometry/geometry.h"
#include "platform/tests/test_platform.h"
#include "simhost/rendering/orientation_matrix.h"

namespace {

using simhost::CallRecord;

std::vector<double> numbers_of(const std::vector<CallRecord>& records, std::size_t at) {
    std::vector<double> values;
    for (const CallRecord& record : records) values.push_back(record.numbers.at(at));
    return values;
}

std::vector<double> matrix_numbers(const Mat4& m) {
    std::vector<double> values;
    for (const auto& row : m.m)
        for (float value : row) values.push_back(value);
    return values;
}

Mat4 turn(const Vec3& pivot, const Vec3& axis, double degrees) {
    return pivot_rotation(pivot, axis, static_cast<float>(degrees * degrees_to_radians));
}

class CallOrder : public CaptureSession {
protected:
    Vec3 user_target() const {
        const simhost::CameraEntry& camera = *session_scene_before.current_camera();
        return simhost::to_f(camera.pose.target);
    }
    simhost::Scene session_scene_before;

    simhost::CommandResult capture(simhost::SessionOptions options) {
        start(std::move(options));
        session_scene_before = session().scene();
        return run();
    }
};

TEST_F(CallOrder, TwoByTwoMono) {
    const simhost::CommandResult result = capture(small_capture(2, 2));
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();
    EXPECT_EQ(logged_operations(), expected_operations({2, 2, false, false}));

    const simhost::CallLog& log = session().calls();
    const std::int32_t user_entries = session_scene_before.host_camera_count();
    const std::int32_t user_index = session_scene_before.current_camera_index();
    const double rig = user_entries;  // one camera object after the user's entries: index t + u - 1
    EXPECT_EQ(numbers_of(log.of("camera", "set_current_index"), 0),
              (std::vector<double>{rig, double(user_index), rig, rig, rig, rig, double(user_index)}));
    EXPECT_EQ(numbers_of(log.of("camera", "set_mode_value"), 0), std::vector<double>{2});
    // Every operation gets its reserved words as 0 (result.ok() holds every call to that);
    // the host logs the leading ones, then the trailing one.
    EXPECT_EQ(log.of("scene", "create_dialog").at(0).reserved, (std::vector<std::int32_t>{0, 0, 0}));
    EXPECT_EQ(log.of("camera", "eye_point").at(0).reserved, (std::vector<std::int32_t>{0, 0}));
    EXPECT_EQ(log.of("scene", "camera_object_count").at(0).reserved, (std::vector<std::int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(log.of("renderer", "render").at(0).reserved, std::vector<std::int32_t>{0});
    EXPECT_EQ(log.of("camera", "set_float_setting").at(0).numbers,
              (std::vector<double>{0, session_scene_before.current_camera()->float_setting}));

    // The rig camera stands above the target at the user's eye distance and is turned by nothing.
    const CallRecord created = log.of("scene", "create_camera_object").at(0);
    const simhost::CameraEntry& user_camera = *session_scene_before.current_camera();
    const Vec3 target = user_target();
    const float reach = static_cast<float>(distance(static_cast<float>(user_camera.pose.eye.x),
                                                    static_cast<float>(user_camera.pose.eye.y),
                                                    static_cast<float>(user_camera.pose.eye.z), target.x, target.y,
                                                    target.z));
    EXPECT_EQ(created.numbers, (std::vector<double>{target.x, target.y + reach, target.z, target.x, target.y, target.z}));
    EXPECT_NE(created.arguments.find("name=\"CameraL\""), std::string::npos) << created.arguments;

    // Every frame turns "Container" by 180 degrees about Y, every row tilts it by 180 about X.
    const auto transforms = log.of("part", "transform");
    ASSERT_EQ(transforms.size(), 1u + 4 + 2);
    const auto identity = matrix_numbers(turn(target, {0, 0, 1}, 0.0));
    const auto column_turn = matrix_numbers(turn(target, {0, 1, 0}, 180.0));
    const auto row_tilt = matrix_numbers(turn(target, {1, 0, 0}, 180.0));
    const std::vector<std::vector<double>> expected_matrices = {identity,    column_turn, column_turn, row_tilt,
                                                                column_turn, column_turn, row_tilt};
    for (std::size_t i = 0; i < transforms.size(); ++i) {
        const std::vector<double> numbers(transforms[i].numbers.end() - 16, transforms[i].numbers.end());
        EXPECT_EQ(numbers, expected_matrices[i]) << "transform " << i;
    }

    EXPECT_EQ(log.of("progress", "set_range").at(0).numbers, (std::vector<double>{0, 4}));
    EXPECT_EQ(log.of("progress", "set_position").at(0).numbers, std::vector<double>{0});
    EXPECT_EQ(numbers_of(log.of("progress", "advance"), 0), (std::vector<double>{1, 1, 1, 1}));
    EXPECT_NE(log.of("scene", "create_progress").at(0).arguments.find("title=\"progress\""), std::string::npos);

    // Frames are recorded under the output's name in the temporary directory, which is left empty.
    EXPECT_NE(log.of("renderer", "start_recording").at(0).arguments.find(temporary_dir.file("vase.mov")),
              std::string::npos);
    EXPECT_TRUE(temporary_dir.entries().empty());
    EXPECT_EQ(output_dir.entries(), std::vector<std::string>{"vase.mov"});
}

TEST_F(CallOrder, ParameterDialogAndSaveDialog) {
    const simhost::CommandResult result = capture(small_capture(1, 1));
    ASSERT_TRUE(result.ok()) << result.exception;
    ASSERT_EQ(session().dialogs().size(), 1u);
    const simhost::DialogRecord& dialog = session().dialogs()[0];
    EXPECT_EQ(dialog.title, "Orbivane");

    // Labels and units in code page 932.
    const std::string frames = "\x83\x74\x83\x8C\x81\x5B\x83\x80", stereo = "\x97\xA7\x91\xCC\x8E\x8B";
    struct Item {
        std::int32_t kind;
        std::string label;
        std::int32_t id;
        std::optional<std::string> unit;
    } expected[] = {
        {3, "\x89\xA1\x95\xAA\x8A\x84", 0, frames},
        {3, "\x8F\x63\x95\xAA\x8A\x84", 1, frames},
        {1, "\x8F\xE3\x94\xBC\x8B\x85\x82\xCC\x82\xDD", 2, std::nullopt},
        {1, "\x8C\xF5\x8C\xB9\x88\xDA\x93\xAE", 8, std::nullopt},
        {9, stereo, 6, std::nullopt},
        {1, stereo, 5, std::nullopt},
        {2, "\x8E\xE8\x96\x40/\x95\xBD\x8D\x73\x96\x40/\x8C\xF0\x8D\xB7\x96\x40", 3, std::nullopt},
        {4, "\x8E\x8B\x8D\xB7", 4, std::string("\x93\x78")},
        {10, stereo, 7, std::nullopt},
    };
    ASSERT_EQ(dialog.items.size(), std::size(expected));
    for (std::size_t i = 0; i < dialog.items.size(); ++i) {
        EXPECT_EQ(dialog.items[i].kind, expected[i].kind) << "item " << i;
        EXPECT_EQ(dialog.items[i].label, expected[i].label) << "item " << i;
        EXPECT_EQ(dialog.items[i].id, expected[i].id) << "item " << i;
        EXPECT_EQ(dialog.items[i].unit, expected[i].unit) << "item " << i;
    }

    // Presets go to the items that show them.
    const simhost::CallLog& log = session().calls();
    const auto integers = log.of("dialog", "set_integer");
    ASSERT_EQ(integers.size(), 2u);
    EXPECT_EQ(integers[0].numbers, (std::vector<double>{double(dialog.items[0].handle), 24}));
    EXPECT_EQ(integers[1].numbers, (std::vector<double>{double(dialog.items[1].handle), 13}));
    EXPECT_EQ(log.of("dialog", "set_real").at(0).numbers, (std::vector<double>{double(dialog.items[7].handle), 4}));

    const std::string save = log.of("window", "save_dialog").at(0).arguments;
    EXPECT_NE(save.find("filter=\"QTVR Object file | *.mov\""), std::string::npos) << save;
    EXPECT_NE(save.find("default_extension=\"mov\""), std::string::npos) << save;
    EXPECT_NE(save.find("flags=2"), std::string::npos) << save;
}

TEST_F(CallOrder, TwoByOneStereo) {
    simhost::SessionOptions options = small_capture(2, 1);
    options.dialog.stereo = true;
    options.dialog.method = 0;
    const simhost::CommandResult result = capture(std::move(options));
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();
    EXPECT_EQ(logged_operations(), expected_operations({2, 1, true, false}));

    const simhost::CallLog& log = session().calls();
    const Vec3 target = user_target();
    // Parallel viewing with 4 degrees of parallax: "CameraL" turned by +2, "CameraR" by -2 about Z.
    const auto transforms = log.of("part", "transform");
    ASSERT_GE(transforms.size(), 2u);
    EXPECT_NE(transforms[0].arguments.find("CameraL"), std::string::npos);
    EXPECT_NE(transforms[1].arguments.find("CameraR"), std::string::npos);
    EXPECT_EQ(std::vector<double>(transforms[0].numbers.end() - 16, transforms[0].numbers.end()),
              matrix_numbers(turn(target, {0, 0, 1}, 2.0)));
    EXPECT_EQ(std::vector<double>(transforms[1].numbers.end() - 16, transforms[1].numbers.end()),
              matrix_numbers(turn(target, {0, 0, 1}, -2.0)));

    // Right eye (newest camera) first, then the left; the user's camera before and after.
    const double right = session_scene_before.host_camera_count() + 1, left = right - 1;
    const double user = session_scene_before.current_camera_index();
    EXPECT_EQ(numbers_of(log.of("camera", "set_current_index"), 0),
              (std::vector<double>{right, left, user, right, left, right, left, user}));
    EXPECT_NE(log.of("scene", "select_object").at(0).arguments.find("name=\"CameraR\""), std::string::npos);

    // Each frame renders at the single size and ends at double width; restoration puts the size back.
    std::vector<double> sizes;
    for (const CallRecord& record : log.of("renderer", "set_image_size")) sizes.push_back(record.numbers.at(0));
    EXPECT_EQ(sizes, (std::vector<double>{64, 128, 64, 128, 64}));
    for (const CallRecord& copy : log.of("image", "copy")) EXPECT_EQ(copy.numbers, (std::vector<double>{64, 48, 1, 32}));
    EXPECT_EQ(log.of("renderer", "region").at(0).numbers, (std::vector<double>{0, 0, 1, 1}));

    // The left half gets the copy of the second render ("CameraL"), the right half the first.
    const auto copies_into = log.of("canvas", "copy_image_into");
    ASSERT_EQ(copies_into.size(), 4u);
    EXPECT_EQ(copies_into[0].numbers, (std::vector<double>{0, 0, 64, 48}));
    EXPECT_EQ(copies_into[1].numbers, (std::vector<double>{64, 0, 128, 48}));

    // Within a frame the images go back newest first: frame, left copy, left, right copy, right.
    std::vector<int> made, released;
    for (const CallRecord& record : log.records()) {
        if (record.interface_name != "image") continue;
        if (record.operation == "Release") released.push_back(record.object_id);
        else if (std::find(made.begin(), made.end(), record.object_id) == made.end()) made.push_back(record.object_id);
    }
    ASSERT_EQ(released.size(), 10u);
    for (std::size_t frame = 0; frame < 2; ++frame) {
        std::vector<int> frame_released(released.begin() + long(frame * 5), released.begin() + long(frame * 5 + 5));
        EXPECT_TRUE(std::is_sorted(frame_released.rbegin(), frame_released.rend())) << "frame " << frame;
    }
    for (const simhost::RecordedFrame& frame : session().recorded_frames()) {
        EXPECT_EQ(frame.size.width, 128);
        EXPECT_EQ(frame.size.height, 48);
    }
}

TEST_F(CallOrder, LightFollowsTheView) {
    simhost::SessionOptions options = small_capture(3, 3);  // 120 degree turns, 90 degree tilts
    options.dialog.light_follows = true;
    const simhost::Vec3d user_light = options.scene.light;
    const simhost::CommandResult result = capture(std::move(options));
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();
    EXPECT_EQ(logged_operations(), expected_operations({3, 3, false, true}));

    const auto set_vectors = session().calls().of("light", "set_vector");
    ASSERT_EQ(set_vectors.size(), 1u + 9 + 1);
    // The first write re-expresses the light for the rig; every frame turns that by the turn, then the tilt.
    const std::vector<double>& f = set_vectors[0].numbers;
    const simhost::Vec3d follow{f.at(1), f.at(2), f.at(3)};
    const auto& frames = session().recorded_frames();
    ASSERT_EQ(frames.size(), 9u);
    const double pi = 3.14159265358979323846;
    for (int k = 0; k < 9; ++k) {
        const double tilt = (k / 3) * 90.0 * pi / 180, pan = (k % 3) * 120.0 * pi / 180;
        // follow * Ry(pan) * Rx(tilt) in row vectors.
        const simhost::Vec3d turned{follow.x * std::cos(pan) + follow.z * std::sin(pan), follow.y,
                                    -follow.x * std::sin(pan) + follow.z * std::cos(pan)};
        const simhost::Vec3d expected{turned.x, turned.y * std::cos(tilt) - turned.z * std::sin(tilt),
                                      turned.y * std::sin(tilt) + turned.z * std::cos(tilt)};
        EXPECT_NEAR(frames[k].light.x, expected.x, 1e-5) << "frame " << k;
        EXPECT_NEAR(frames[k].light.y, expected.y, 1e-5) << "frame " << k;
        EXPECT_NEAR(frames[k].light.z, expected.z, 1e-5) << "frame " << k;
    }
    // At preparation the light is re-expressed by the host's orientation matrix for the
    // direction from the target to the user's eye, normalized, with +Y up.
    const simhost::CameraPose& user = session_scene_before.current_camera()->pose;
    const simhost::Vec3d away = user.eye - user.target;
    const double length = std::sqrt(away.x * away.x + away.y * away.y + away.z * away.z);
    const Vec3 direction{float(away.x / length), float(away.y / length), float(away.z / length)};
    const CallRecord orientation = session().calls().of("scene", "orientation_matrix").at(0);
    ASSERT_EQ(orientation.numbers.size(), 6u);
    EXPECT_FLOAT_EQ(float(orientation.numbers[0]), direction.x);
    EXPECT_FLOAT_EQ(float(orientation.numbers[1]), direction.y);
    EXPECT_FLOAT_EQ(float(orientation.numbers[2]), direction.z);
    EXPECT_EQ(std::vector<double>(orientation.numbers.begin() + 3, orientation.numbers.end()),
              (std::vector<double>{0, 1, 0}));
    const Mat4 m = simhost::orientation_matrix(direction, {0, 1, 0});
    const double expected_follow[3] = {
        user_light.x * m.m[0][0] + user_light.y * m.m[1][0] + user_light.z * m.m[2][0] + m.m[3][0],
        user_light.x * m.m[0][1] + user_light.y * m.m[1][1] + user_light.z * m.m[2][1] + m.m[3][1],
        user_light.x * m.m[0][2] + user_light.y * m.m[1][2] + user_light.z * m.m[2][2] + m.m[3][2]};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(f.at(1 + i), expected_follow[i], 1e-6) << i;

    // Restoration writes back the light as it was read.
    const std::vector<double>& last = set_vectors.back().numbers;
    EXPECT_EQ(float(last.at(1)), float(user_light.x));
    EXPECT_EQ(float(last.at(2)), float(user_light.y));
    EXPECT_EQ(float(last.at(3)), float(user_light.z));
}

// The turn is float(degrees x 0.017453293005625408), single-precision pi over 180 in double:
// for 40 degrees that float differs from both the exact pi / 180 and an all-float product.
TEST_F(CallOrder, TurnsUseTheSinglePrecisionPiFactor) {
    const simhost::CommandResult result = capture(small_capture(9, 2));
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();
    const float angle = static_cast<float>(40.0f * 0.017453293005625408);
    EXPECT_NE(angle, static_cast<float>(40.0 * 3.14159265358979323846 / 180.0));
    std::vector<CallRecord> turns;
    for (const CallRecord& record : session().calls().of("part", "transform"))
        if (record.arguments.find("Container") != std::string::npos) turns.push_back(record);
    ASSERT_EQ(turns.size(), 9u * 2 + 2);
    const Mat4 expected = pivot_rotation(user_target(), {0, 1, 0}, angle);
    EXPECT_EQ(std::vector<double>(turns[0].numbers.end() - 16, turns[0].numbers.end()), matrix_numbers(expected));
}

// Parallel viewing is method 0 only: any other value turns "CameraL" the cross way, by -2 degrees.
TEST_F(CallOrder, EveryStereoMethodButZeroIsCross) {
    for (const std::int32_t method : {1, 2, -1}) {
        simhost::SessionOptions options = small_capture(1, 2);
        options.dialog.stereo = true;
        options.dialog.method = method;
        ASSERT_TRUE(capture(std::move(options)).ok());
        const CallRecord camera_l = session().calls().of("part", "transform").at(0);
        ASSERT_NE(camera_l.arguments.find("CameraL"), std::string::npos);
        EXPECT_EQ(std::vector<double>(camera_l.numbers.end() - 16, camera_l.numbers.end()),
                  matrix_numbers(turn(user_target(), {0, 0, 1}, -2.0)))
            << "method " << method;
    }
}

// The progress text from a clock the test holds: 3 seconds a frame from the start time.
TEST_F(CallOrder, ProgressTextCountsFromTheStartTime) {
    start(small_capture(4, 2));
    TestPlatform clock;
    clock.clock = 1000;  // the start time, then 1003 at the first frame's update, ...
    clock.clock_step = 3;
    capture_settings.start_time = 0;  // a command must note its own
    const simhost::CommandResult result = session().run_command([](host_scene* scene) { run_capture_command(scene); });
    ASSERT_TRUE(result.returned) << result.exception;
    std::vector<std::string> texts;
    for (const CallRecord& record : session().calls().of("window", "set_window_text")) texts.push_back(record.arguments);
    ASSERT_EQ(texts.size(), 8u);
    for (int done = 1; done <= 8; ++done)  // 3 x done seconds over done frames, times the frames left
        EXPECT_NE(texts[done - 1].find("progress  " + std::to_string(done) + "/8 (remain " +
                                       std::to_string(3 * (8 - done)) + " sec)"),
                  std::string::npos)
            << texts[done - 1];
}

}  // namespace
