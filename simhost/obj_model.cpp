#include "simhost/obj_model.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include <tiny_obj_loader.h>

#include "simhost/demo_scene.h"

namespace simhost {

namespace {

constexpr Rgb unpainted{200, 200, 200};

Rgb colour_of(const std::vector<tinyobj::material_t>& materials, int id) {
    if (id < 0 || id >= static_cast<int>(materials.size())) return unpainted;
    auto channel = [](tinyobj::real_t v) {
        return static_cast<std::uint8_t>(std::lround(std::clamp(static_cast<double>(v), 0.0, 1.0) * 255));
    };
    const auto& d = materials[static_cast<std::size_t>(id)].diffuse;
    return {channel(d[0]), channel(d[1]), channel(d[2])};
}

std::string first_line(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

LoadedModel load_obj_model(const std::string& path) {
    if (!std::ifstream(path)) throw model_error("The model " + path + " does not exist or cannot be read.");
    tinyobj::ObjReader reader;
    tinyobj::ObjReaderConfig config;
    config.triangulate = true;
    config.vertex_color = false;
    if (!reader.ParseFromFile(path, config))
        throw model_error("The model " + path + " is not a readable OBJ file: " + first_line(reader.Error()) + ".");

    const tinyobj::attrib_t& attrib = reader.GetAttrib();
    const auto& materials = reader.GetMaterials();
    LoadedModel model;
    model.warnings = reader.Warning();
    Vec3d low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
    auto vertex = [&](int index) -> Vec3d {
        if (index < 0 || static_cast<std::size_t>(index) * 3 + 2 >= attrib.vertices.size())
            throw model_error("The model " + path + " refers to a vertex it does not define.");
        const std::size_t i = static_cast<std::size_t>(index) * 3;
        const Vec3d v{attrib.vertices[i], attrib.vertices[i + 1], attrib.vertices[i + 2]};
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            throw model_error("The model " + path + " has a vertex that is not a finite number.");
        low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
        high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        return v;
    };

    int unnamed = 0;
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        Mesh mesh;
        std::size_t offset = 0;
        for (std::size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f) {
            const std::size_t corners = shape.mesh.num_face_vertices[f];
            const Rgb colour = colour_of(materials, f < shape.mesh.material_ids.size() ? shape.mesh.material_ids[f] : -1);
            for (std::size_t k = 1; k + 1 < corners; ++k)
                mesh.add_triangle(vertex(shape.mesh.indices[offset].vertex_index),
                                  vertex(shape.mesh.indices[offset + k].vertex_index),
                                  vertex(shape.mesh.indices[offset + k + 1].vertex_index), colour);
            offset += corners;
        }
        if (mesh.faces.empty()) continue;
        model.triangles += mesh.faces.size();
        model.scene.add_part(shape.name.empty() ? "Part" + std::to_string(++unnamed) : shape.name, std::move(mesh));
    }
    if (model.triangles == 0) throw model_error("The model " + path + " has no faces to render.");

    const Vec3d centre = (low + high) * 0.5;
    const double radius = std::max(length(high - low) * 0.5, 1e-6);
    add_user_cameras(model.scene, centre, radius);
    return model;
}

}  // namespace simhost
