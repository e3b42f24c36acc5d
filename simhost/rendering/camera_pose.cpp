#include "simhost/rendering/camera_pose.h"

#include <cmath>

namespace simhost {

namespace {
// sin(0.05 degrees): closer to vertical than this counts as straight down or up.
constexpr double vertical_tolerance = 8.7e-4;
}

Vec3d starting_up(Vec3d forward) {
    const Vec3d f = normalized(forward);
    if (length(cross(f, {0, 1, 0})) > vertical_tolerance) return {0, 1, 0};
    return f.y < 0 ? Vec3d{0, 0, 1} : Vec3d{0, 0, -1};
}

CameraPose CameraPose::looking_at(Vec3d eye, Vec3d target) {
    return {eye, target, starting_up(target - eye)};
}

CameraBasis camera_basis(const CameraPose& pose) {
    Vec3d forward = normalized(pose.target - pose.eye);
    if (length(forward) == 0) forward = {0, 0, -1};
    Vec3d right = cross(normalized(pose.up), forward);
    if (length(right) <= vertical_tolerance) right = cross(starting_up(forward), forward);
    right = normalized(right);
    return {right, cross(forward, right), forward};
}

}  // namespace simhost
