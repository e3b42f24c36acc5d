#include "simhost/rendering/orientation_matrix.h"

#include "simhost/rendering/camera_pose.h"
#include "simhost/rendering/host_math.h"

namespace simhost {

Mat4 orientation_matrix(const Vec3& direction, const Vec3& up) {
    const Vec3d d = normalized(to_d(direction));
    // Zero or not-a-number: no direction to turn from.
    if (!(length(d) > 0.5)) return to_f(Mat4d{});
    const CameraBasis frame = camera_basis({d, {0, 0, 0}, to_d(up)});
    const double rows[3][3] = {{frame.right.x, d.x, frame.up.x},
                               {frame.right.y, d.y, frame.up.y},
                               {frame.right.z, d.z, frame.up.z}};
    Mat4d m;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i][j] = rows[i][j];
    return to_f(m);
}

}  // namespace simhost
