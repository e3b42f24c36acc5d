#include "simhost/rendering/host_math.h"

namespace simhost {

Mat4d to_d(const Mat4& m) {
    Mat4d r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = m.m[i][j];
    return r;
}

Mat4 to_f(const Mat4d& m) {
    Mat4 r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = static_cast<float>(m.m[i][j]);
    return r;
}

Mat4d multiply(const Mat4d& a, const Mat4d& b) {
    Mat4d r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

Vec3d transform_point(Vec3d p, const Mat4d& m) {
    const double x = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
    const double y = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
    const double z = p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2];
    const double w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    if (w != 1.0 && w != 0.0) return {x / w, y / w, z / w};
    return {x, y, z};
}

Vec3d transform_direction(Vec3d d, const Mat4d& m) {
    return {d.x * m.m[0][0] + d.y * m.m[1][0] + d.z * m.m[2][0],
            d.x * m.m[0][1] + d.y * m.m[1][1] + d.z * m.m[2][1],
            d.x * m.m[0][2] + d.y * m.m[1][2] + d.z * m.m[2][2]};
}

Mat4d normal_matrix(const Mat4d& w) {
    const auto& a = w.m;
    Mat4d r;
    // Cofactors of the 3 x 3 part, with the determinant's sign.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            r.m[i][j] = a[i1][j1] * a[i2][j2] - a[i1][j2] * a[i2][j1];
        }
    const double det = a[0][0] * r.m[0][0] + a[0][1] * r.m[0][1] + a[0][2] * r.m[0][2];
    if (det < 0)
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) r.m[i][j] = -r.m[i][j];
    return r;
}

}  // namespace simhost
