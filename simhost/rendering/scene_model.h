// The host's scene: parts with triangle meshes, the camera list and the light.
//
// Parts form a tree; a part's transform applies to its own mesh and to every
// part below it. Camera objects are kept apart from the part tree, so making
// a part that takes in the scene's geometry never takes in a camera. The
// camera list is the host's own entries (the user's views) followed by the
// camera objects in creation order, so index t + u - 1 is always the newest
// camera object.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "simhost/rendering/camera_pose.h"
#include "simhost/rendering/host_math.h"
#include "simhost/rendering/image.h"

namespace simhost {

// A texture's picture; texture coordinates run 0..1 across it, (0, 0) at its
// top-left corner, and repeat outside that square.
using Texture = Image;

// Triangles over shared corners. Each corner may carry a normal (smooth
// shading: normals has one per vertex, or is empty for flat faces) and a
// texture position (uvs: one per vertex, or empty).
struct Mesh {
    struct Face {
        int a, b, c;  // indices into vertices
        Rgb colour;   // the face's own colour; with a texture, the texture's tint
        int texture = -1;  // index into textures, or -1
    };
    struct TexturePosition {
        float u = 0, v = 0;
    };
    std::vector<Vec3d> vertices;
    std::vector<Vec3> normals;
    std::vector<TexturePosition> uvs;
    std::vector<Face> faces;
    std::vector<std::shared_ptr<const Texture>> textures;

    void add_triangle(Vec3d a, Vec3d b, Vec3d c, Rgb colour);
    // Two triangles a-b-c and a-c-d.
    void add_quad(Vec3d a, Vec3d b, Vec3d c, Vec3d d, Rgb colour);
};

struct ScenePart {
    std::uint64_t serial = 0;
    std::string name;
    int parent = -1;  // index into the scene's parts, -1 at the top level
    Mat4d transform;
    Mesh mesh;
};

struct CameraEntry {
    std::uint64_t serial = 0;
    std::string name;
    CameraPose pose;
    float float_setting = 35.0f;  // focal length in millimetres on a 36 mm wide frame
    std::int32_t mode = 0;
};

// A part's mesh where the scene places it.
struct PlacedMesh {
    const Mesh* mesh;
    Mat4d world;
};

// A world-space triangle (flat, untextured).
struct WorldTriangle {
    Vec3d a, b, c;
    Rgb colour;
};

enum class ObjectKind { part, camera_object };

struct ObjectRef {
    ObjectKind kind;
    std::uint64_t serial;
};

class Scene {
public:
    // Geometry.
    int add_part(std::string name, Mesh mesh, int parent = -1);
    const std::vector<ScenePart>& parts() const { return parts_; }
    Mat4d world_transform(int part) const;
    std::vector<WorldTriangle> world_triangles() const;
    // Every part with faces, for the renderer; valid while the scene is unchanged.
    std::vector<PlacedMesh> placed_meshes() const;
    // A new top-level part that takes in every top-level geometry part.
    int make_part(const std::string& name);
    // Moves a part by m in its own frame: m is applied to the part's mesh
    // before the transform it already has (transform becomes m * transform).
    // Camera objects have no frame of their own and move in world space.
    bool transform_part(std::uint64_t serial, const Mat4d& m);

    // The camera list.
    void add_host_camera(CameraEntry entry);
    std::int32_t host_camera_count() const { return static_cast<std::int32_t>(host_cameras_.size()); }
    std::int32_t camera_object_count() const { return static_cast<std::int32_t>(camera_objects_.size()); }
    std::int32_t camera_count() const { return host_camera_count() + camera_object_count(); }
    // Null when the index is outside the list.
    const CameraEntry* camera(std::int32_t index) const;
    CameraEntry* camera(std::int32_t index);
    std::int32_t current_camera_index() const { return current_camera_; }
    void set_current_camera_index(std::int32_t index) { current_camera_ = index; }
    const CameraEntry* current_camera() const { return camera(current_camera_); }
    CameraEntry* current_camera() { return camera(current_camera_); }
    std::uint64_t create_camera_object(const std::string& name, Vec3d eye, Vec3d target);
    bool transform_camera_object(std::uint64_t serial, const Mat4d& m);
    const std::vector<CameraEntry>& camera_objects() const { return camera_objects_; }

    // The newest object of that name, part or camera object.
    std::optional<ObjectRef> find(const std::string& name) const;
    bool contains(const ObjectRef& ref) const;
    const ScenePart* part(std::uint64_t serial) const;

    // Light: the direction in which the light travels (see rasterizer.h).
    Vec3d light{-0.35, -1.0, -0.55};

    // The part tree and camera objects, as the rig's undo keeps them.
    struct Contents {
        std::vector<ScenePart> parts;
        std::vector<CameraEntry> camera_objects;
    };
    Contents contents() const { return {parts_, camera_objects_}; }
    // The contents moved out, leaving the scene without parts or camera objects.
    Contents release_contents() { return {std::move(parts_), std::move(camera_objects_)}; }
    void restore_contents(Contents contents);

private:
    std::uint64_t next_serial_ = 1;
    std::vector<ScenePart> parts_;
    std::vector<CameraEntry> host_cameras_;
    std::vector<CameraEntry> camera_objects_;
    std::int32_t current_camera_ = 0;
};

}  // namespace simhost
