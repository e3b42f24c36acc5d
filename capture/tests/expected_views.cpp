#include "capture/tests/expected_views.h"

#include <cmath>
#include <cstdlib>

namespace {

using simhost::Mat4d;
using simhost::Vec3d;

constexpr double pi = 3.14159265358979323846;

Mat4d translation(Vec3d v) {
    Mat4d m;
    m.m[3][0] = v.x;
    m.m[3][1] = v.y;
    m.m[3][2] = v.z;
    return m;
}

// Row-vector rotations: Rx takes +Y towards +Z, Ry takes +X towards -Z.
Mat4d rotation_x(double degrees) {
    const double c = std::cos(degrees * pi / 180), s = std::sin(degrees * pi / 180);
    Mat4d m;
    m.m[1][1] = c;
    m.m[1][2] = s;
    m.m[2][1] = -s;
    m.m[2][2] = c;
    return m;
}

Mat4d rotation_y(double degrees) {
    const double c = std::cos(degrees * pi / 180), s = std::sin(degrees * pi / 180);
    Mat4d m;
    m.m[0][0] = c;
    m.m[0][2] = -s;
    m.m[2][0] = s;
    m.m[2][2] = c;
    return m;
}

}  // namespace

simhost::Image expected_view(const simhost::Session& session, const simhost::Scene& user_scene,
                             const ViewPlacement& view, int width, int height) {
    const simhost::CameraEntry& user_camera = *user_scene.current_camera();
    const Vec3d target = user_camera.pose.target;
    const double reach = simhost::length(user_camera.pose.eye - target);

    simhost::Scene scene = user_scene;
    const int container = scene.make_part("Container");
    const Mat4d pose = simhost::multiply(
        simhost::multiply(simhost::multiply(translation(-target), rotation_y(view.turn_degrees)), rotation_x(view.tilt_degrees)),
        translation(target));
    scene.transform_part(scene.parts()[static_cast<std::size_t>(container)].serial, pose);

    // Above the target, turned about Z: a positive offset moves the eye towards -X.
    const double a = view.eye_offset_degrees * pi / 180;
    simhost::CameraEntry camera;
    camera.name = "expected";
    camera.float_setting = user_camera.float_setting;
    camera.pose.eye = target + Vec3d{-reach * std::sin(a), reach * std::cos(a), 0};
    camera.pose.target = target;
    camera.pose.up = simhost::starting_up(Vec3d{0, -1, 0});
    return session.render(scene, camera, width, height);
}

double mean_difference(const simhost::Image& a, const simhost::Image& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.empty()) return 255;
    double total = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) total += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return total / static_cast<double>(a.rgb.size());
}

simhost::Image half_of(const simhost::Image& pair, bool right) {
    const int width = pair.width / 2;
    simhost::Image half(width, pair.height);
    for (int y = 0; y < pair.height; ++y)
        for (int x = 0; x < width; ++x) half.set(x, y, pair.at(x + (right ? width : 0), y));
    return half;
}
