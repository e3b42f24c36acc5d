// Vec3 and Mat4: the host's layouts for points, directions and transforms.
//
// Matrices are row-major and used with row vectors: a point p becomes p * M,
// the translation sits in the fourth row, and A * B applies A first.
#pragma once

struct Vec3 {
    float x;
    float y;
    float z;
};

struct Mat4 {
    float m[4][4];
};

static_assert(sizeof(Vec3) == 12, "Vec3 is three floats");
static_assert(sizeof(Mat4) == 64, "Mat4 is sixteen floats");
