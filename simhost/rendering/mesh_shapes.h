// Simple solids for built-in scenes, each face wound counter-clockwise when
// seen from outside.
#pragma once

#include <array>

#include "simhost/rendering/scene_model.h"

namespace simhost {

// Faces in the order -X, +X, -Y, +Y, -Z, +Z.
void add_box(Mesh& mesh, Vec3d low, Vec3d high, const std::array<Rgb, 6>& faces);
void add_box(Mesh& mesh, Vec3d low, Vec3d high, Rgb colour);
// A square-based pyramid standing on y = base.y, apex straight above the centre.
void add_pyramid(Mesh& mesh, Vec3d base_centre, double half_side, double height, Rgb sides, Rgb bottom);
// A prism with n sides around the Y axis, from bottom_centre up by height.
void add_prism(Mesh& mesh, Vec3d bottom_centre, double radius, double height, int sides, Rgb wall, Rgb caps);
// A sphere from a subdivided octahedron; bands of colour alternate by octant.
void add_sphere(Mesh& mesh, Vec3d centre, double radius, int subdivisions, Rgb first, Rgb second);

}  // namespace simhost
