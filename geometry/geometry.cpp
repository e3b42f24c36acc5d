#include "geometry/geometry.h"

#include <cmath>

namespace {

float to_float(double value) { return static_cast<float>(value); }

}  // namespace

Mat4 identity_matrix() {
    Mat4 m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
}

Mat4 translation(const Vec3& v) {
    Mat4 m = identity_matrix();
    m.m[3][0] = v.x;
    m.m[3][1] = v.y;
    m.m[3][2] = v.z;
    return m;
}

Vec3 normalize(const Vec3& v) {
    const double x = v.x, y = v.y, z = v.z;
    const double length = std::sqrt(x * x + y * y + z * z);
    // Written as a positive test so that a NaN length also leaves v alone.
    if (!(length > 0.0)) return v;
    const double r = 1.0 / length;
    return {to_float(x * r), to_float(y * r), to_float(z * r)};
}

Vec3 transform_point(const Vec3& p, const Mat4& m) {
    const double x = p.x, y = p.y, z = p.z;
    const auto& e = m.m;
    Vec3 out{to_float(x * e[0][0] + y * e[1][0] + z * e[2][0] + e[3][0]),
             to_float(x * e[0][1] + y * e[1][1] + z * e[2][1] + e[3][1]),
             to_float(x * e[0][2] + y * e[1][2] + z * e[2][2] + e[3][2])};
    // The host's matrices are affine; it divides by m[3][3] only, never by the
    // homogeneous w, and a NaN there counts as "not 1".
    if (e[3][3] == 1.0f) return out;
    const double r = 1.0 / static_cast<double>(e[3][3]);
    return {to_float(out.x * r), to_float(out.y * r), to_float(out.z * r)};
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 c;  // a temporary, so the result may be stored over either operand
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            c.m[i][j] = to_float(static_cast<double>(a.m[i][0]) * b.m[0][j] +
                                 static_cast<double>(a.m[i][1]) * b.m[1][j] +
                                 static_cast<double>(a.m[i][2]) * b.m[2][j] +
                                 static_cast<double>(a.m[i][3]) * b.m[3][j]);
        }
    }
    return c;
}

Mat4 axis_rotation(const Vec3& axis, float c, float s) {
    const Vec3 n = normalize(axis);
    const double x = n.x, y = n.y, z = n.z;
    const double cd = c, sd = s;
    const double t = 1.0 - cd;
    Mat4 m{};
    m.m[0][0] = to_float(x * x + (1.0 - x * x) * cd);
    m.m[0][1] = to_float(t * x * y + z * sd);
    m.m[0][2] = to_float(t * x * z - y * sd);
    m.m[1][0] = to_float(t * x * y - z * sd);
    m.m[1][1] = to_float(y * y + (1.0 - y * y) * cd);
    m.m[1][2] = to_float(t * y * z + x * sd);
    m.m[2][0] = to_float(t * x * z + y * sd);
    m.m[2][1] = to_float(t * y * z - x * sd);
    m.m[2][2] = to_float(z * z + (1.0 - z * z) * cd);
    m.m[3][3] = 1.0f;
    return m;
}

Mat4 pivot_rotation(const Vec3& pivot, const Vec3& axis, float angle) {
    const float c = to_float(std::cos(static_cast<double>(angle)));
    const float s = to_float(std::sin(static_cast<double>(angle)));
    const Mat4 to_origin = translation({-pivot.x, -pivot.y, -pivot.z});
    return multiply(multiply(to_origin, axis_rotation(axis, c, s)), translation(pivot));
}

double distance(float ax, float ay, float az, float bx, float by, float bz) {
    const double dx = to_float(static_cast<double>(ax) - bx);
    const double dy = to_float(static_cast<double>(ay) - by);
    const double dz = to_float(static_cast<double>(az) - bz);
    return std::sqrt(std::pow(dx, 2) + (std::pow(dy, 2) + std::pow(dz, 2)));
}
