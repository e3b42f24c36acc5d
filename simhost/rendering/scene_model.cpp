#include "simhost/rendering/scene_model.h"

#include <utility>

namespace simhost {

void Mesh::add_triangle(Vec3d a, Vec3d b, Vec3d c, Rgb colour) {
    const int base = static_cast<int>(vertices.size());
    vertices.push_back(a);
    vertices.push_back(b);
    vertices.push_back(c);
    faces.push_back({base, base + 1, base + 2, colour});
}

void Mesh::add_quad(Vec3d a, Vec3d b, Vec3d c, Vec3d d, Rgb colour) {
    const int base = static_cast<int>(vertices.size());
    vertices.insert(vertices.end(), {a, b, c, d});
    faces.push_back({base, base + 1, base + 2, colour});
    faces.push_back({base, base + 2, base + 3, colour});
}

int Scene::add_part(std::string name, Mesh mesh, int parent) {
    ScenePart part;
    part.serial = next_serial_++;
    part.name = std::move(name);
    part.parent = parent;
    part.mesh = std::move(mesh);
    parts_.push_back(std::move(part));
    return static_cast<int>(parts_.size()) - 1;
}

Mat4d Scene::world_transform(int part) const {
    Mat4d world = parts_[static_cast<std::size_t>(part)].transform;
    for (int p = parts_[static_cast<std::size_t>(part)].parent; p >= 0; p = parts_[static_cast<std::size_t>(p)].parent)
        world = multiply(world, parts_[static_cast<std::size_t>(p)].transform);
    return world;
}

std::vector<WorldTriangle> Scene::world_triangles() const {
    std::vector<WorldTriangle> triangles;
    for (int i = 0; i < static_cast<int>(parts_.size()); ++i) {
        const ScenePart& part = parts_[static_cast<std::size_t>(i)];
        if (part.mesh.faces.empty()) continue;
        const Mat4d world = world_transform(i);
        std::vector<Vec3d> placed;
        placed.reserve(part.mesh.vertices.size());
        for (const Vec3d& v : part.mesh.vertices) placed.push_back(transform_point(v, world));
        for (const Mesh::Face& f : part.mesh.faces)
            triangles.push_back({placed[static_cast<std::size_t>(f.a)], placed[static_cast<std::size_t>(f.b)],
                                 placed[static_cast<std::size_t>(f.c)], f.colour});
    }
    return triangles;
}

std::vector<PlacedMesh> Scene::placed_meshes() const {
    std::vector<PlacedMesh> placed;
    for (int i = 0; i < static_cast<int>(parts_.size()); ++i)
        if (!parts_[static_cast<std::size_t>(i)].mesh.faces.empty())
            placed.push_back({&parts_[static_cast<std::size_t>(i)].mesh, world_transform(i)});
    return placed;
}

int Scene::make_part(const std::string& name) {
    const int made = add_part(name, Mesh{});
    for (int i = 0; i < made; ++i)
        if (parts_[static_cast<std::size_t>(i)].parent < 0) parts_[static_cast<std::size_t>(i)].parent = made;
    return made;
}

bool Scene::transform_part(std::uint64_t serial, const Mat4d& m) {
    for (ScenePart& part : parts_)
        if (part.serial == serial) {
            // In the part's own frame: m acts before the transform the part
            // already has, so a turn about the vertical axis after a tilt turns
            // the part about its own (tilted) vertical axis.
            part.transform = multiply(m, part.transform);
            return true;
        }
    return false;
}

void Scene::add_host_camera(CameraEntry entry) {
    entry.serial = next_serial_++;
    host_cameras_.push_back(std::move(entry));
}

const CameraEntry* Scene::camera(std::int32_t index) const {
    if (index < 0) return nullptr;
    if (index < host_camera_count()) return &host_cameras_[static_cast<std::size_t>(index)];
    index -= host_camera_count();
    if (index < camera_object_count()) return &camera_objects_[static_cast<std::size_t>(index)];
    return nullptr;
}

CameraEntry* Scene::camera(std::int32_t index) {
    return const_cast<CameraEntry*>(std::as_const(*this).camera(index));
}

std::uint64_t Scene::create_camera_object(const std::string& name, Vec3d eye, Vec3d target) {
    CameraEntry entry;
    entry.serial = next_serial_++;
    entry.name = name;
    entry.pose = CameraPose::looking_at(eye, target);
    camera_objects_.push_back(std::move(entry));
    return camera_objects_.back().serial;
}

bool Scene::transform_camera_object(std::uint64_t serial, const Mat4d& m) {
    for (CameraEntry& entry : camera_objects_)
        if (entry.serial == serial) {
            entry.pose.eye = transform_point(entry.pose.eye, m);
            entry.pose.target = transform_point(entry.pose.target, m);
            entry.pose.up = normalized(transform_direction(entry.pose.up, m));
            return true;
        }
    return false;
}

std::optional<ObjectRef> Scene::find(const std::string& name) const {
    std::optional<ObjectRef> found;
    for (const ScenePart& part : parts_)
        if (part.name == name && (!found || part.serial > found->serial)) found = ObjectRef{ObjectKind::part, part.serial};
    for (const CameraEntry& entry : camera_objects_)
        if (entry.name == name && (!found || entry.serial > found->serial))
            found = ObjectRef{ObjectKind::camera_object, entry.serial};
    return found;
}

bool Scene::contains(const ObjectRef& ref) const {
    if (ref.kind == ObjectKind::part) return part(ref.serial) != nullptr;
    for (const CameraEntry& entry : camera_objects_)
        if (entry.serial == ref.serial) return true;
    return false;
}

const ScenePart* Scene::part(std::uint64_t serial) const {
    for (const ScenePart& p : parts_)
        if (p.serial == serial) return &p;
    return nullptr;
}

void Scene::restore_contents(Contents contents) {
    parts_ = std::move(contents.parts);
    camera_objects_ = std::move(contents.camera_objects);
}

}  // namespace simhost
