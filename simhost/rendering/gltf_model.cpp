#include "simhost/rendering/gltf_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include <tiny_gltf.h>

#include "simhost/rendering/texture_file.h"

namespace simhost {

namespace {

// Pictures are decoded as the OBJ reader's textures are, within the same bounds.
bool decode_picture(tinygltf::Image* image, const int index, std::string* error, std::string*, int, int,
                    const unsigned char* bytes, int size, void*) {
    try {
        Image picture = decode_texture(std::vector<std::uint8_t>(bytes, bytes + size), "image " + std::to_string(index));
        image->width = picture.width;
        image->height = picture.height;
        image->component = 3;
        image->bits = 8;
        image->pixel_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
        image->image = std::move(picture.rgb);
        return true;
    } catch (const model_error& e) {
        *error += e.what();
        return false;
    }
}

bool read_whole_file(std::vector<unsigned char>* out, std::string* error, const std::string& path, void* model) {
    try {
        const std::string bytes = read_bounded(path, "glTF resource");
        static_cast<LoadedModel*>(model)->resource_files.push_back(path);
        out->assign(bytes.begin(), bytes.end());
        return true;
    } catch (const model_error& e) {
        *error += e.what();
        return false;
    }
}

// Names in the file stay names: nothing of them is expanded by a shell.
std::string path_as_written(const std::string& path, void*) { return path; }

// glTF's colour factors are linear light; this host's colours are the picture's own values.
std::uint8_t display_level(double linear) {
    const double c = std::clamp(linear, 0.0, 1.0);
    const double shown = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(shown * 255));
}

Mat4d node_matrix(const tinygltf::Node& node) {
    Mat4d m;
    // glTF's matrices are column-major for column vectors: the same numbers in
    // row-major order are this host's row-vector matrix.
    if (node.matrix.size() == 16) {
        for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = node.matrix[static_cast<std::size_t>(i)];
        return m;
    }
    Mat4d scale, rotation, translation;
    if (node.scale.size() == 3)
        for (int i = 0; i < 3; ++i) scale.m[i][i] = node.scale[static_cast<std::size_t>(i)];
    if (node.rotation.size() == 4) {
        const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2], w = node.rotation[3];
        const double turn[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                                   {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                                   {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) rotation.m[i][j] = turn[j][i];
    }
    if (node.translation.size() == 3)
        for (int i = 0; i < 3; ++i) translation.m[3][i] = node.translation[static_cast<std::size_t>(i)];
    return multiply(multiply(scale, rotation), translation);
}

class Reader {
public:
    Reader(const std::string& path, tinygltf::Model& gltf, LoadedModel& model) : path_(path), gltf_(gltf), model_(model) {
        for (const tinygltf::Image& image : gltf.images) {
            Image picture;
            if (image.component == 3 && image.bits == 8) {
                picture.width = image.width;
                picture.height = image.height;
                picture.rgb = image.image;
            }
            textures_.push_back(std::make_shared<const Image>(std::move(picture)));
        }
    }

    void node(int index, const Mat4d& parent, int depth) {
        if (index < 0 || static_cast<std::size_t>(index) >= gltf_.nodes.size() || depth > 64) return;
        const tinygltf::Node& n = gltf_.nodes[static_cast<std::size_t>(index)];
        const Mat4d world = multiply(node_matrix(n), parent);
        if (n.mesh >= 0 && static_cast<std::size_t>(n.mesh) < gltf_.meshes.size()) {
            const tinygltf::Mesh& source = gltf_.meshes[static_cast<std::size_t>(n.mesh)];
            Mesh mesh;
            for (const tinygltf::Primitive& primitive : source.primitives) add(mesh, primitive, world);
            if (!mesh.faces.empty()) {
                model_.triangles += mesh.faces.size();
                const std::string name = !n.name.empty() ? n.name : !source.name.empty() ? source.name : "Part" + std::to_string(++unnamed_);
                model_.scene.add_part(name, std::move(mesh));
            }
        }
        for (const int child : n.children) node(child, world, depth + 1);
    }

private:
    // An accessor's values as numbers, `width` per element (normalized integers read as 0..1).
    std::vector<double> values(int index, int width) {
        if (index < 0 || static_cast<std::size_t>(index) >= gltf_.accessors.size()) fail("names an accessor it does not have");
        const tinygltf::Accessor& a = gltf_.accessors[static_cast<std::size_t>(index)];
        if (a.sparse.isSparse) fail("uses sparse accessors, which this host does not read");
        const int components = tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(a.type));
        const int size = tinygltf::GetComponentSizeInBytes(static_cast<std::uint32_t>(a.componentType));
        if (components != width || size <= 0) fail("has an accessor of an unexpected type");
        if (a.bufferView < 0 || static_cast<std::size_t>(a.bufferView) >= gltf_.bufferViews.size()) fail("names a buffer view it does not have");
        const tinygltf::BufferView& view = gltf_.bufferViews[static_cast<std::size_t>(a.bufferView)];
        if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= gltf_.buffers.size()) fail("names a buffer it does not have");
        const std::vector<unsigned char>& data = gltf_.buffers[static_cast<std::size_t>(view.buffer)].data;
        const std::size_t element = static_cast<std::size_t>(components * size);
        const std::size_t stride = view.byteStride ? view.byteStride : element;
        const std::size_t start = view.byteOffset + a.byteOffset;
        if (view.byteOffset + view.byteLength > data.size() || (a.count > 0 && start + (a.count - 1) * stride + element > view.byteOffset + view.byteLength))
            fail("has an accessor that reaches beyond its buffer");
        std::vector<double> out;
        out.reserve(a.count * static_cast<std::size_t>(components));
        for (std::size_t i = 0; i < a.count; ++i)
            for (int c = 0; c < components; ++c) {
                const unsigned char* p = &data[start + i * stride + static_cast<std::size_t>(c * size)];
                out.push_back(number(p, a.componentType, a.normalized));
            }
        return out;
    }

    static double number(const unsigned char* p, int type, bool normalized) {
        auto read = [p](auto value) {
            std::memcpy(&value, p, sizeof value);
            return value;
        };
        switch (type) {
            case TINYGLTF_COMPONENT_TYPE_FLOAT: return read(float{});
            case TINYGLTF_COMPONENT_TYPE_DOUBLE: return read(double{});
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? read(std::uint8_t{}) / 255.0 : read(std::uint8_t{});
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return normalized ? read(std::uint16_t{}) / 65535.0 : read(std::uint16_t{});
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return read(std::uint32_t{});
            case TINYGLTF_COMPONENT_TYPE_BYTE: return normalized ? std::max(read(std::int8_t{}) / 127.0, -1.0) : read(std::int8_t{});
            case TINYGLTF_COMPONENT_TYPE_SHORT: return normalized ? std::max(read(std::int16_t{}) / 32767.0, -1.0) : read(std::int16_t{});
            default: return 0;
        }
    }

    int attribute(const tinygltf::Primitive& p, const std::string& name) {
        const auto found = p.attributes.find(name);
        return found == p.attributes.end() ? -1 : found->second;
    }

    void add(Mesh& mesh, const tinygltf::Primitive& primitive, const Mat4d& world) {
        const int mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
        if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP && mode != TINYGLTF_MODE_TRIANGLE_FAN) {
            warn_once("has points or lines, which are not drawn");
            return;
        }
        const int position_index = attribute(primitive, "POSITION");
        if (position_index < 0) return;
        const std::vector<double> positions = values(position_index, 3);
        const std::size_t count = positions.size() / 3;
        for (const double v : positions)
            if (!std::isfinite(v)) fail("has a position that is not a finite number");

        Rgb colour{255, 255, 255};
        int texture = -1, set = 0;
        if (primitive.material >= 0 && static_cast<std::size_t>(primitive.material) < gltf_.materials.size()) {
            const tinygltf::PbrMetallicRoughness& pbr = gltf_.materials[static_cast<std::size_t>(primitive.material)].pbrMetallicRoughness;
            if (pbr.baseColorFactor.size() >= 3)
                colour = {display_level(pbr.baseColorFactor[0]), display_level(pbr.baseColorFactor[1]), display_level(pbr.baseColorFactor[2])};
            texture = texture_of(pbr.baseColorTexture.index);
            set = pbr.baseColorTexture.texCoord;
        }
        const int uv_index = texture >= 0 ? attribute(primitive, "TEXCOORD_" + std::to_string(set)) : -1;
        const int normal_index = attribute(primitive, "NORMAL");
        const std::vector<double> uvs = uv_index >= 0 ? values(uv_index, 2) : std::vector<double>{};
        const std::vector<double> normals = normal_index >= 0 ? values(normal_index, 3) : std::vector<double>{};
        if (uv_index >= 0 && uvs.size() / 2 != count) fail("has texture positions that do not match its vertices");
        if (normal_index >= 0 && normals.size() / 3 != count) fail("has normals that do not match its vertices");

        // Parts mix smooth and flat, mapped and unmapped primitives: what one lacks is filled in.
        const std::size_t base = mesh.vertices.size();
        const bool had_normals = !mesh.normals.empty() || base == 0;
        const Mat4d turn = normal_matrix(world);
        for (std::size_t i = 0; i < count; ++i) {
            mesh.vertices.push_back(transform_point({positions[i * 3], positions[i * 3 + 1], positions[i * 3 + 2]}, world));
            if (!normals.empty())
                mesh.normals.push_back(to_f(normalized(transform_direction({normals[i * 3], normals[i * 3 + 1], normals[i * 3 + 2]}, turn))));
            mesh.uvs.push_back(uvs.empty() ? Mesh::TexturePosition{} : Mesh::TexturePosition{static_cast<float>(uvs[i * 2]), static_cast<float>(uvs[i * 2 + 1])});
        }
        if (!normals.empty() && !had_normals) warn_once("mixes primitives with and without normals; all are drawn flat");
        if (normals.empty() || !had_normals) mesh.normals.clear();
        if (texture >= 0 && mesh.textures.empty()) mesh.textures = textures_;

        std::vector<std::size_t> order;
        if (primitive.indices >= 0) {
            for (const double v : values(primitive.indices, 1)) order.push_back(static_cast<std::size_t>(v));
        } else {
            for (std::size_t i = 0; i < count; ++i) order.push_back(i);
        }
        for (const std::size_t v : order)
            if (v >= count) fail("has an index beyond its vertices");
        auto face = [&](std::size_t a, std::size_t b, std::size_t c) {
            mesh.faces.push_back({static_cast<int>(base + a), static_cast<int>(base + b), static_cast<int>(base + c), colour, uv_index >= 0 ? texture : -1});
        };
        if (mode == TINYGLTF_MODE_TRIANGLES)
            for (std::size_t i = 0; i + 2 < order.size(); i += 3) face(order[i], order[i + 1], order[i + 2]);
        else if (mode == TINYGLTF_MODE_TRIANGLE_STRIP)
            for (std::size_t i = 0; i + 2 < order.size(); ++i)
                i % 2 == 0 ? face(order[i], order[i + 1], order[i + 2]) : face(order[i + 1], order[i], order[i + 2]);
        else
            for (std::size_t i = 1; i + 1 < order.size(); ++i) face(order[0], order[i], order[i + 1]);
    }

    int texture_of(int index) {
        if (index < 0 || static_cast<std::size_t>(index) >= gltf_.textures.size()) return -1;
        const int source = gltf_.textures[static_cast<std::size_t>(index)].source;
        if (source < 0 || static_cast<std::size_t>(source) >= textures_.size() || textures_[static_cast<std::size_t>(source)]->width == 0) {
            warn_once("has a base colour texture that could not be read; its faces take the base colour");
            return -1;
        }
        return source;
    }

    [[noreturn]] void fail(const std::string& problem) { throw model_error("The model " + path_ + " " + problem + "."); }

    void warn_once(const std::string& problem) {
        const std::string line = "the model " + path_ + " " + problem + "\n";
        if (model_.warnings.find(line) == std::string::npos) model_.warnings += line;
    }

    const std::string& path_;
    tinygltf::Model& gltf_;
    LoadedModel& model_;
    std::vector<std::shared_ptr<const Texture>> textures_;
    int unnamed_ = 0;
};

std::string first_line(std::string text) {
    const std::size_t end = text.find('\n');
    if (end != std::string::npos) text.resize(end);
    while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace

LoadedModel load_gltf_model(const std::string& path) {
    LoadedModel model;
    const std::string bytes = read_bounded(path, "model");
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(decode_picture, nullptr);
    loader.SetFsCallbacks({tinygltf::FileExists, path_as_written, read_whole_file, tinygltf::WriteWholeFile, &model});
    tinygltf::Model gltf;
    std::string error, warning;
    const bool binary = bytes.size() >= 4 && bytes.compare(0, 4, "glTF") == 0;
    const bool read =
        binary ? loader.LoadBinaryFromMemory(&gltf, &error, &warning, reinterpret_cast<const unsigned char*>(bytes.data()),
                                             static_cast<unsigned>(bytes.size()), folder_of(path))
               : loader.LoadASCIIFromString(&gltf, &error, &warning, bytes.data(), static_cast<unsigned>(bytes.size()), folder_of(path));
    if (!read) throw model_error("The model " + path + " is not a readable glTF file: " + first_line(error) + ".");
    if (!warning.empty()) model.warnings += "the model " + path + ": " + first_line(warning) + "\n";

    Reader reader(path, gltf, model);
    std::vector<int> roots;
    if (!gltf.scenes.empty()) {
        const std::size_t scene = gltf.defaultScene >= 0 && static_cast<std::size_t>(gltf.defaultScene) < gltf.scenes.size()
                                      ? static_cast<std::size_t>(gltf.defaultScene) : 0;
        roots = gltf.scenes[scene].nodes;
    } else {
        // Without scenes, every node that is no other's child.
        std::vector<bool> child(gltf.nodes.size(), false);
        for (const tinygltf::Node& n : gltf.nodes)
            for (const int c : n.children)
                if (c >= 0 && static_cast<std::size_t>(c) < child.size()) child[static_cast<std::size_t>(c)] = true;
        for (std::size_t i = 0; i < child.size(); ++i)
            if (!child[i]) roots.push_back(static_cast<int>(i));
    }
    for (const int root : roots) reader.node(root, Mat4d{}, 0);
    if (model.triangles == 0) throw model_error("The model " + path + " has no faces to render.");
    frame_model(model, path);
    return model;
}

}  // namespace simhost
