// Vector and matrix functions in the host's row-vector convention.
//
// Sums and products are formed in double precision and every stored component
// is rounded to float, so results match the host's own arithmetic bit for bit;
// keep that order of operations when changing anything here.
#pragma once

#include "geometry/vec.h"

// Degrees to radians with float pi (3.1415927410125732) over 180, as the host
// uses it; deliberately not the exact pi / 180. Callers multiply an angle in
// degrees by this and round the product to float before building a rotation.
inline constexpr double degrees_to_radians = 0.017453293005625408;

Mat4 identity_matrix();
// The identity with v in the fourth row.
Mat4 translation(const Vec3& v);

// v scaled to unit length; v itself when its length is zero or not a number.
Vec3 normalize(const Vec3& v);
// p * m with the translation row; divides by m[3][3] alone unless it is exactly 1.
Vec3 transform_point(const Vec3& p, const Mat4& m);
// a * b: applying the product applies a first, then b.
Mat4 multiply(const Mat4& a, const Mat4& b);
// Right-handed rotation about the (normalized) axis from its cosine and sine.
Mat4 axis_rotation(const Vec3& axis, float c, float s);
// Rotation by angle radians about the axis through pivot; the pivot stays put.
Mat4 pivot_rotation(const Vec3& pivot, const Vec3& axis, float angle);
// Distance between (ax, ay, az) and (bx, by, bz) from float-rounded differences.
double distance(float ax, float ay, float az, float bx, float by, float bz);
