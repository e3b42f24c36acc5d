// The scene as the capture relies on it: the camera list's arithmetic, a
// made part that carries the geometry but not the cameras, camera objects
// moved by their transforms, and the orientation matrix.
#include <gtest/gtest.h>

#include <cmath>

#include "simhost/rendering/demo_scene.h"
#include "simhost/rendering/orientation_matrix.h"
#include "simhost/rendering/scene_model.h"

namespace simhost {
namespace {

Mat4d translation(double x, double y, double z) {
    Mat4d m;
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

// Turn by 90 degrees about +Z (row vectors): +X goes to +Y.
Mat4d quarter_turn_about_z() {
    Mat4d m;
    m.m[0][0] = 0;
    m.m[0][1] = 1;
    m.m[1][0] = -1;
    m.m[1][1] = 0;
    return m;
}

void expect_near(Vec3d actual, Vec3d expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(SceneCameraList, NewestCameraObjectIsAtCountPlusOthersMinusOne) {
    Scene scene = demo_scene();
    const std::int32_t u = scene.host_camera_count();
    ASSERT_GE(u, 1);
    EXPECT_EQ(scene.current_camera_index(), 0);
    scene.create_camera_object("CameraL", {0, 5, 0}, {0, 0, 0});
    scene.create_camera_object("CameraR", {1, 5, 0}, {0, 0, 0});
    const std::int32_t t = scene.camera_object_count();
    EXPECT_EQ(t, 2);
    EXPECT_EQ(scene.camera(t + u - 1)->name, "CameraR");
    EXPECT_EQ(scene.camera(t + u - 2)->name, "CameraL");
    EXPECT_EQ(scene.camera(t + u), nullptr);
    EXPECT_EQ(scene.camera(-1), nullptr);
}

TEST(SceneParts, MadePartTurnsTheGeometryButNotTheCameras) {
    Scene scene = demo_scene();
    scene.create_camera_object("CameraL", {0, 5, 0}, {0, 0, 0});
    const std::vector<WorldTriangle> before = scene.world_triangles();
    scene.make_part("Container");
    const std::optional<ObjectRef> container = scene.find("Container");
    ASSERT_TRUE(container);
    ASSERT_TRUE(scene.transform_part(container->serial, translation(0, 0, 3)));
    const std::vector<WorldTriangle> after = scene.world_triangles();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) expect_near(after[i].a, before[i].a + Vec3d{0, 0, 3});
    expect_near(scene.camera_objects().front().pose.eye, {0, 5, 0});
}

TEST(SceneParts, EachTransformActsInThePartsOwnFrame) {
    Scene scene;
    Mesh mesh;
    mesh.add_triangle({1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {});
    const int part = scene.add_part("P", mesh);
    const std::uint64_t serial = scene.parts()[static_cast<std::size_t>(part)].serial;
    scene.transform_part(serial, quarter_turn_about_z());
    // The later move acts before the earlier turn: (1,0,0) -> (6,0,0) -> (0,6,0).
    scene.transform_part(serial, translation(5, 0, 0));
    expect_near(scene.world_triangles().front().a, {0, 6, 0});
}

TEST(SceneParts, FindsTheNewestOfANameAndKnowsItsKind) {
    Scene scene = demo_scene();
    EXPECT_FALSE(scene.find("Container"));
    scene.make_part("Container");
    const std::uint64_t camera = scene.create_camera_object("Container", {0, 1, 0}, {0, 0, 0});
    const std::optional<ObjectRef> found = scene.find("Container");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->kind, ObjectKind::camera_object);
    EXPECT_EQ(found->serial, camera);
}

TEST(SceneCameras, TransformMovesEyeTargetAndUp) {
    Scene scene;
    const std::uint64_t serial = scene.create_camera_object("C", {0, 10, 0}, {0, 0, 0});
    // Overhead: the picture's up is +Z.
    expect_near(scene.camera_objects().front().pose.up, {0, 0, 1});
    scene.transform_camera_object(serial, quarter_turn_about_z());
    const CameraPose& pose = scene.camera_objects().front().pose;
    expect_near(pose.eye, {-10, 0, 0});
    expect_near(pose.target, {0, 0, 0});
    expect_near(pose.up, {0, 0, 1});
}

TEST(SceneCameras, SlightlyTurnedOverheadCamerasKeepThePictureOrientation) {
    // A stereo pair: both cameras start overhead and turn 2 degrees apart about Z.
    for (double degrees : {2.0, -2.0}) {
        Scene scene;
        const std::uint64_t serial = scene.create_camera_object("C", {0, 10, 0}, {0, 0, 0});
        const double a = degrees * 3.14159265358979 / 180;
        Mat4d turn;
        turn.m[0][0] = std::cos(a);
        turn.m[0][1] = std::sin(a);
        turn.m[1][0] = -std::sin(a);
        turn.m[1][1] = std::cos(a);
        scene.transform_camera_object(serial, turn);
        const CameraBasis basis = camera_basis(scene.camera_objects().front().pose);
        EXPECT_GT(basis.right.x, 0.99) << degrees;  // +X still to the right
        expect_near(basis.up, {0, 0, 1}, 1e-9);     // +Z still up
    }
}

TEST(SceneContents, RestoringContentsRemovesTheRigButNeverReusesSerials) {
    Scene scene = demo_scene();
    const Scene::Contents before = scene.contents();
    scene.make_part("Container");
    const std::uint64_t camera = scene.create_camera_object("CameraL", {0, 5, 0}, {0, 0, 0});
    scene.restore_contents(before);
    EXPECT_FALSE(scene.find("Container"));
    EXPECT_EQ(scene.camera_object_count(), 0);
    EXPECT_FALSE(scene.contains({ObjectKind::camera_object, camera}));
    EXPECT_GT(scene.create_camera_object("CameraL", {0, 5, 0}, {0, 0, 0}), camera);
}

Vec3d apply(const Mat4& m, Vec3d v) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

TEST(OrientationMatrix, CameraInFrontMapsToOverheadCamera) {
    // A camera on +Z looking at the origin has -X on its right: that becomes
    // the overhead picture's right (+X), its up (+Y) the overhead up (+Z), and
    // the way back to its eye (+Z) becomes +Y.
    const Mat4 m = orientation_matrix({0, 0, 1}, {0, 1, 0});
    expect_near(apply(m, {-1, 0, 0}), {1, 0, 0}, 1e-6);
    expect_near(apply(m, {0, 1, 0}), {0, 0, 1}, 1e-6);
    expect_near(apply(m, {0, 0, 1}), {0, 1, 0}, 1e-6);
    EXPECT_EQ(m.m[3][3], 1.0f);
    EXPECT_EQ(m.m[3][0], 0.0f);
}

TEST(OrientationMatrix, CornerCameraKeepsRightUpAndBack) {
    const double s = 1 / std::sqrt(3.0), h = 1 / std::sqrt(2.0);
    const Vec3d back{s, s, s};
    const Vec3d right{-h, 0, h};               // horizontal, to the right seen from (1, 1, 1)
    const Vec3d up = cross(-back, right);      // completes the picture's frame
    const Mat4 m = orientation_matrix({1, 1, 1}, {0, 1, 0});
    expect_near(apply(m, back), {0, 1, 0}, 1e-6);
    expect_near(apply(m, right), {1, 0, 0}, 1e-6);
    expect_near(apply(m, up), {0, 0, 1}, 1e-6);
}

TEST(OrientationMatrix, DegenerateDirectionsGiveSaneRotations) {
    const Mat4 identity = to_f(Mat4d{});
    for (const Vec3& direction : {Vec3{0, 0, 0}, Vec3{NAN, 0, 0}, Vec3{0, 3, 0}}) {
        const Mat4 m = orientation_matrix(direction, {0, 1, 0});
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_NEAR(m.m[r][c], identity.m[r][c], 1e-6) << r << c;
    }
}

}  // namespace
}  // namespace simhost
