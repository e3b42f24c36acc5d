// The scene's orientation matrix for (direction, up).
//
// direction points from a camera's target back to its eye (the camera looks
// along -direction) and up is that camera's up hint. The matrix M re-expresses
// a vector seen from that camera as the same vector seen from a camera that
// looks straight down from +Y, whose picture has +X to the right and +Z up
// (camera_pose.h): v * M has the same right, up and towards-the-eye
// components in the overhead camera's frame as v has in the given camera's.
// So a light re-expressed with it lights the scene, as filmed from above,
// the way it lit the scene as seen from the given camera. M is a rotation:
// its rows are (right_i, direction_i, up_i) for i = x, y, z.
//
// A zero direction gives the identity. An up hint along the direction is
// replaced by the host's rule for cameras that look straight down or up.
#pragma once

#include "geometry/vec.h"

namespace simhost {

Mat4 orientation_matrix(const Vec3& direction, const Vec3& up);

}  // namespace simhost
