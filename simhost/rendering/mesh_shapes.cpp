#include "simhost/rendering/mesh_shapes.h"

#include <cmath>
#include <numbers>

namespace simhost {

void add_box(Mesh& mesh, Vec3d l, Vec3d h, const std::array<Rgb, 6>& c) {
    mesh.add_quad({l.x, l.y, l.z}, {l.x, l.y, h.z}, {l.x, h.y, h.z}, {l.x, h.y, l.z}, c[0]);  // -X
    mesh.add_quad({h.x, l.y, l.z}, {h.x, h.y, l.z}, {h.x, h.y, h.z}, {h.x, l.y, h.z}, c[1]);  // +X
    mesh.add_quad({l.x, l.y, l.z}, {h.x, l.y, l.z}, {h.x, l.y, h.z}, {l.x, l.y, h.z}, c[2]);  // -Y
    mesh.add_quad({l.x, h.y, l.z}, {l.x, h.y, h.z}, {h.x, h.y, h.z}, {h.x, h.y, l.z}, c[3]);  // +Y
    mesh.add_quad({l.x, l.y, l.z}, {l.x, h.y, l.z}, {h.x, h.y, l.z}, {h.x, l.y, l.z}, c[4]);  // -Z
    mesh.add_quad({l.x, l.y, h.z}, {h.x, l.y, h.z}, {h.x, h.y, h.z}, {l.x, h.y, h.z}, c[5]);  // +Z
}

void add_box(Mesh& mesh, Vec3d low, Vec3d high, Rgb colour) {
    add_box(mesh, low, high, {colour, colour, colour, colour, colour, colour});
}

void add_pyramid(Mesh& mesh, Vec3d b, double s, double height, Rgb sides, Rgb bottom) {
    const Vec3d apex{b.x, b.y + height, b.z};
    const Vec3d p0{b.x - s, b.y, b.z - s}, p1{b.x + s, b.y, b.z - s}, p2{b.x + s, b.y, b.z + s},
        p3{b.x - s, b.y, b.z + s};
    mesh.add_triangle(p3, p2, apex, sides);
    mesh.add_triangle(p2, p1, apex, sides);
    mesh.add_triangle(p1, p0, apex, sides);
    mesh.add_triangle(p0, p3, apex, sides);
    mesh.add_quad(p0, p1, p2, p3, bottom);
}

void add_prism(Mesh& mesh, Vec3d c, double radius, double height, int sides, Rgb wall, Rgb caps) {
    const Vec3d top{c.x, c.y + height, c.z};
    for (int i = 0; i < sides; ++i) {
        const double a0 = 2 * std::numbers::pi * i / sides, a1 = 2 * std::numbers::pi * (i + 1) / sides;
        const Vec3d b0{c.x + radius * std::cos(a0), c.y, c.z - radius * std::sin(a0)};
        const Vec3d b1{c.x + radius * std::cos(a1), c.y, c.z - radius * std::sin(a1)};
        const Vec3d t0{b0.x, top.y, b0.z}, t1{b1.x, top.y, b1.z};
        mesh.add_quad(b0, b1, t1, t0, wall);
        mesh.add_triangle(top, t0, t1, caps);
        mesh.add_triangle(c, b1, b0, caps);
    }
}

void add_sphere(Mesh& mesh, Vec3d centre, double radius, int subdivisions, Rgb first, Rgb second) {
    struct Tri {
        Vec3d a, b, c;
    };
    const Vec3d px{1, 0, 0}, nx{-1, 0, 0}, py{0, 1, 0}, ny{0, -1, 0}, pz{0, 0, 1}, nz{0, 0, -1};
    std::vector<Tri> tris{{px, py, pz}, {pz, py, nx}, {nx, py, nz}, {nz, py, px},
                          {px, pz, ny}, {pz, nx, ny}, {nx, nz, ny}, {nz, px, ny}};
    for (int level = 0; level < subdivisions; ++level) {
        std::vector<Tri> finer;
        for (const Tri& t : tris) {
            const Vec3d ab = normalized(t.a + t.b), bc = normalized(t.b + t.c), ca = normalized(t.c + t.a);
            finer.insert(finer.end(), {{t.a, ab, ca}, {ab, t.b, bc}, {ca, bc, t.c}, {ab, bc, ca}});
        }
        tris = std::move(finer);
    }
    for (const Tri& t : tris) {
        const Vec3d mid = t.a + t.b + t.c;
        const bool odd = ((mid.x > 0) + (mid.y > 0) + (mid.z > 0)) % 2 == 1;
        mesh.add_triangle(centre + t.a * radius, centre + t.b * radius, centre + t.c * radius, odd ? first : second);
    }
}

}  // namespace simhost
