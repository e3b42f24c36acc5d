// Double-precision vectors and matrices for the host's own bookkeeping.
//
// The host keeps scene transforms in double so that the hundreds of small
// turns a capture applies do not drift, and it does its own arithmetic rather
// than borrowing the plug-in's, so that it can serve as an independent check.
// Same convention as the exchanged Mat4: row vectors, p' = p * M, translation
// in row 3.
#pragma once

#include <cmath>

#include "geometry/vec.h"

namespace simhost {

struct Vec3d {
    double x = 0, y = 0, z = 0;
};

inline Vec3d operator+(Vec3d a, Vec3d b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3d operator-(Vec3d a, Vec3d b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3d operator-(Vec3d a) { return {-a.x, -a.y, -a.z}; }
inline Vec3d operator*(Vec3d a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(Vec3d a, Vec3d b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3d cross(Vec3d a, Vec3d b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3d a) { return std::sqrt(dot(a, a)); }
// The zero vector stays zero: callers decide what a missing direction means.
inline Vec3d normalized(Vec3d a) {
    const double l = length(a);
    return l > 0 ? a * (1.0 / l) : a;
}

inline Vec3d to_d(const Vec3& v) { return {v.x, v.y, v.z}; }
inline Vec3 to_f(Vec3d v) { return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)}; }

struct Mat4d {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

Mat4d to_d(const Mat4& m);
Mat4 to_f(const Mat4d& m);
// a then b.
Mat4d multiply(const Mat4d& a, const Mat4d& b);
// Homogeneous: divides by w when the matrix has a projective column.
Vec3d transform_point(Vec3d p, const Mat4d& m);
// Directions ignore the translation row.
Vec3d transform_direction(Vec3d d, const Mat4d& m);
// The matrix that turns surface normals as m turns surfaces: the inverse
// transpose of m's linear part, up to a positive factor (so normals keep
// their side on a mirrored or stretched part; they need normalizing).
Mat4d normal_matrix(const Mat4d& m);

}  // namespace simhost
