#include "simhost/rendering/obj_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <streambuf>
#include <string_view>
#include <unordered_map>

#include <tiny_obj_loader.h>

#include "simhost/rendering/texture_file.h"

namespace simhost {

namespace {

constexpr Rgb unpainted{200, 200, 200};
constexpr Rgb untinted{255, 255, 255};
constexpr int warnings_listed = 10;

// Reads the text in place, without a copy.
class TextBuffer : public std::streambuf {
public:
    explicit TextBuffer(std::string& text) { setg(text.data(), text.data(), text.data() + text.size()); }
};

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string_view> words_of(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_space(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !is_space(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// What follows the statement's first word, spaces inside kept: exporters
// write names with spaces as they are.
std::string rest_of(std::string_view line, std::string_view first) {
    std::size_t start = line.find(first) + first.size();
    std::size_t end = line.size();
    while (start < end && is_space(line[start])) ++start;
    while (end > start && is_space(line[end - 1])) --end;
    return std::string(line.substr(start, end - start));
}

enum class NumberText { finite, not_finite, not_a_number };

NumberText classify(std::string_view word) {
    const std::string text(word);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return NumberText::not_a_number;
    return std::isfinite(value) ? NumberText::finite : NumberText::not_finite;
}

// Statements of the OBJ format; the reader takes the geometry ones and passes over the rest.
bool is_obj_statement(std::string_view word) {
    static constexpr std::string_view known[] = {
        "v",     "vt",    "vn",    "vp",   "f",        "l",        "p",   "g",          "o",         "s",
        "t",     "usemtl", "mtllib", "cstype", "deg",  "bmat",     "step", "curv",      "curv2",     "surf",
        "parm",  "trim",  "hole",  "scrv", "sp",       "end",      "con", "mg",         "bevel",     "c_interp",
        "d_interp", "lod", "shadow_obj", "trace_obj", "ctech", "stech", "maplib", "usemap",
    };
    return std::find(std::begin(known), std::end(known), word) != std::end(known);
}

template <typename Fn>
void each_line(std::istream& in, Fn fn) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) fn(std::string_view(line), number);
}

template <typename Fn>
void each_line(const std::string& text, Fn fn) {
    std::size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        fn(std::string_view(text).substr(start, end - start), number);
        start = end + 1;
    }
}

// From this face on, the faces take this material, smoothing group and part.
struct FaceState {
    std::size_t first_face;
    std::string material;
    unsigned smoothing;  // 0: flat
    std::string part;
};

// Notes lines the reader would pass over in silence, refuses numbers that are
// no numbers (the reader turns "nan" into 0 where it should not be read at
// all), and records, in the order of the faces, the statements that name
// things, whole: the reader below gives only the numbers.
class TextCheck {
public:
    TextCheck(const std::string& path, const std::string& what) : path_(path), what_(what) {}

    void obj(std::istream& text) {
        FaceState state{0, "", 0, ""};
        bool changed = true;
        each_line(text, [&](std::string_view line, int number) {
            const std::vector<std::string_view> words = words_of(line);
            if (words.empty() || words[0][0] == '#') return;
            const std::string_view first = words[0];
            if (!is_obj_statement(first)) return note(number, "is not an OBJ statement");
            if (first == "v" || first == "vn" || first == "vt") return numbers(words, number, "coordinate");
            if (first == "f" && words.size() > 1) {
                if (changed) states.push_back(state), changed = false;
                ++state.first_face;
                return;
            }
            if (words.size() < 2 && first != "s" && first != "g" && first != "o") return;
            changed = true;
            if (first == "usemtl") state.material = rest_of(line, first);
            else if (first == "s") state.smoothing = words.size() < 2 || words[1] == "off" ? 0 : static_cast<unsigned>(std::strtoul(std::string(words[1]).c_str(), nullptr, 10));
            else if (first == "g" || first == "o") state.part = rest_of(line, first);
            else if (first == "mtllib") libraries.push_back(rest_of(line, first));
        });
        faces = state.first_face;
    }

    void mtl(const std::string& text) {
        each_line(text, [&](std::string_view line, int number) {
            const std::vector<std::string_view> words = words_of(line);
            if (!words.empty() && (words[0] == "Kd" || words[0] == "Ka" || words[0] == "Ks"))
                numbers(words, number, "colour");
        });
    }

    std::string warnings() const {
        std::string text = notes_;
        if (more_ > 0)
            text += "the " + what_ + " " + path_ + " has " + std::to_string(more_) + " more lines like these\n";
        return text;
    }

    std::vector<FaceState> states;
    std::vector<std::string> libraries;
    std::size_t faces = 0;

private:
    void numbers(const std::vector<std::string_view>& words, int number, const char* kind) {
        for (std::size_t i = 1; i < words.size(); ++i) {
            const NumberText found = classify(words[i]);
            if (found == NumberText::not_finite)
                throw model_error("The " + what_ + " " + path_ + " has a " + kind + " that is not a finite number (line " +
                                  std::to_string(number) + ").");
            if (found == NumberText::not_a_number) return note(number, "has a value that is not a number");
        }
    }

    void note(int number, const char* problem) {
        if (listed_ == warnings_listed) {
            ++more_;
            return;
        }
        ++listed_;
        notes_ += "line " + std::to_string(number) + " of " + path_ + " " + problem + "; it is ignored\n";
    }

    const std::string& path_;
    std::string what_;
    std::string notes_;
    int listed_ = 0;
    int more_ = 0;
};

// A material as faces use it: its colour, or its texture (which then stands
// for the diffuse colour).
struct Material {
    Rgb colour = unpainted;
    int texture = -1;
};

Rgb colour_of(const tinyobj::material_t& material) {
    auto channel = [](tinyobj::real_t v) {
        return static_cast<std::uint8_t>(std::lround(std::clamp(static_cast<double>(v), 0.0, 1.0) * 255));
    };
    return {channel(material.diffuse[0]), channel(material.diffuse[1]), channel(material.diffuse[2])};
}

// The material libraries, each named whole; a name that is no file but holds
// spaces is taken as several names, as some exporters write them.
class Materials {
public:
    Materials(std::string folder, LoadedModel& model) : folder_(std::move(folder)), model_(model) {}

    void read_library(const std::string& name) {
        namespace fs = std::filesystem;
        std::error_code error;
        if (!fs::exists(folder_ + name, error) && name.find(' ') != std::string::npos) {
            for (const std::string_view word : words_of(name)) read_one(std::string(word));
            return;
        }
        read_one(name);
    }

    const Material* find(const std::string& name) {
        if (name.empty()) return nullptr;
        const auto found = by_name_.find(name);
        if (found != by_name_.end()) return &found->second;
        if (missing_.insert(name).second)
            model_.warnings += "the material \"" + name + "\" is in no material library; its faces are drawn uncoloured\n";
        return nullptr;
    }

    std::vector<std::shared_ptr<const Texture>> textures;

private:
    void read_one(const std::string& name) {
        const std::string path = folder_ + name;
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            model_.warnings += "the material library " + path + " does not exist; the model is drawn uncoloured\n";
            return;
        }
        std::string text = read_bounded(path, "material library");
        TextCheck check(path, "material library");
        check.mtl(text);
        model_.warnings += check.warnings();
        model_.material_files.push_back(path);
        TextBuffer buffer(text);
        std::istream stream(&buffer);
        std::vector<tinyobj::material_t> materials;
        std::map<std::string, int> names;
        std::string warning, ignored;
        tinyobj::LoadMtl(&names, &materials, &stream, &warning, &ignored);
        for (const tinyobj::material_t& m : materials) {
            for (const tinyobj::real_t channel : m.diffuse)
                if (!std::isfinite(channel))
                    throw model_error("The material library " + path + " gives material \"" + m.name +
                                      "\" a colour that is not a finite number.");
            Material material{colour_of(m), -1};
            std::string texture = m.diffuse_texname;
            while (!texture.empty() && is_space(texture.back())) texture.pop_back();
            if (!texture.empty()) material.texture = texture_index(folder_of(path) + texture, m.name);
            if (material.texture >= 0) material.colour = untinted;
            by_name_.emplace(m.name, material);
        }
    }

    int texture_index(const std::string& path, const std::string& material) {
        const auto known = texture_by_path_.find(path);
        if (known != texture_by_path_.end()) return known->second;
        int index = -1;
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            model_.warnings += "the texture " + path + " of material \"" + material +
                               "\" does not exist; its faces take the material's colour\n";
        } else {
            try {
                textures.push_back(read_texture_file(path));
                model_.texture_files.push_back(path);
                index = static_cast<int>(textures.size()) - 1;
            } catch (const model_error& e) {
                std::string why = e.what();
                if (!why.empty() && why.back() == '.') why.pop_back();
                model_.warnings += why + "; the faces of material \"" + material + "\" take its colour\n";
            }
        }
        texture_by_path_.emplace(path, index);
        return index;
    }

    std::string folder_;
    LoadedModel& model_;
    std::map<std::string, Material> by_name_;
    std::map<std::string, int> texture_by_path_;
    std::set<std::string> missing_;
};

// One part's mesh as faces arrive: corners shared where position, texture
// position and normal agree, normals made by smoothing groups where the file
// gives none.
class PartBuilder {
public:
    explicit PartBuilder(std::string name) : name_(std::move(name)) {}

    struct Corner {
        std::int64_t position, uv, normal;  // -1: none
    };

    void add_face(const Corner* corners, int count, const Material* material, unsigned smoothing,
                  const std::vector<Vec3d>& positions, const std::vector<Mesh::TexturePosition>& uvs,
                  const std::vector<Vec3>& normals) {
        const bool textured = material && material->texture >= 0;
        normals_ = &normals;
        int index[3];
        for (int k = 1; k + 1 < count; ++k) {
            const Corner* tri[3] = {&corners[0], &corners[k], &corners[k + 1]};
            const Vec3d face_normal =
                cross(positions[static_cast<std::size_t>(tri[1]->position)] - positions[static_cast<std::size_t>(tri[0]->position)],
                      positions[static_cast<std::size_t>(tri[2]->position)] - positions[static_cast<std::size_t>(tri[0]->position)]);
            const std::uint64_t own_face = ++faces_made_;
            for (int c = 0; c < 3; ++c) {
                const Corner& corner = *tri[c];
                const std::int64_t uv = textured ? corner.uv : -1;
                // Without a normal of its own, a corner is shared within its smoothing group
                // only; in no group, it belongs to its face alone.
                const std::uint64_t group = corner.normal >= 0 ? 0 : smoothing > 0 ? smoothing : (std::uint64_t(1) << 40) + own_face;
                const Key key{corner.position, uv, corner.normal, group};
                auto [found, made] = corners_.try_emplace(key, static_cast<int>(mesh_.vertices.size()));
                if (made) {
                    const Vec3d& p = positions[static_cast<std::size_t>(corner.position)];
                    mesh_.vertices.push_back(p);
                    const Mesh::TexturePosition none{};
                    uv_.push_back(uv >= 0 ? uvs[static_cast<std::size_t>(uv)] : none);
                    if (corner.normal >= 0) {
                        normal_of_.push_back(-1 - static_cast<std::int64_t>(corner.normal));
                    } else {
                        // Corners at one place in one group share a normal, whatever their
                        // texture position or how often the file repeats the place.
                        const Key place{bits(p.x), bits(p.y), bits(p.z), group};
                        const auto [slot, added] = slots_.try_emplace(place, static_cast<int>(slot_sums_.size()));
                        if (added) slot_sums_.emplace_back();
                        normal_of_.push_back(slot->second);
                    }
                }
                const int v = found->second;
                const std::int64_t slot = normal_of_[static_cast<std::size_t>(v)];
                if (slot >= 0) slot_sums_[static_cast<std::size_t>(slot)] = slot_sums_[static_cast<std::size_t>(slot)] + face_normal;
                index[c] = v;
            }
            smooth_ = smooth_ || smoothing > 0 || tri[0]->normal >= 0 || tri[1]->normal >= 0 || tri[2]->normal >= 0;
            textured_ = textured_ || textured;
            mesh_.faces.push_back({index[0], index[1], index[2], material ? material->colour : unpainted,
                                   textured ? material->texture : -1});
        }
    }

    std::size_t triangles() const { return mesh_.faces.size(); }
    const std::string& name() const { return name_; }

    Mesh finish(const std::vector<std::shared_ptr<const Texture>>& textures) {
        corners_ = {};
        slots_ = {};
        if (smooth_)
            for (const std::int64_t slot : normal_of_)
                mesh_.normals.push_back(slot >= 0 ? to_f(normalized(slot_sums_[static_cast<std::size_t>(slot)]))
                                                  : (*normals_)[static_cast<std::size_t>(-1 - slot)]);
        if (textured_) {
            mesh_.uvs = std::move(uv_);
            mesh_.textures = textures;
        }
        return std::move(mesh_);
    }

private:
    struct Key {
        std::int64_t position, uv, normal;
        std::uint64_t group;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            std::uint64_t h = static_cast<std::uint64_t>(k.position) * 0x9e3779b97f4a7c15ull;
            h ^= (static_cast<std::uint64_t>(k.uv) + 0x632be59bd9b4e019ull) * 0xbf58476d1ce4e5b9ull;
            h ^= (static_cast<std::uint64_t>(k.normal) + 0x94d049bb133111ebull) * 0x94d049bb133111ebull;
            h ^= k.group * 0xd6e8feb86659fd93ull;
            return static_cast<std::size_t>(h ^ (h >> 29));
        }
    };

    std::string name_;
    Mesh mesh_;
    std::unordered_map<Key, int, KeyHash> corners_;
    std::vector<Mesh::TexturePosition> uv_;
    static std::int64_t bits(double v) {
        if (v == 0) v = 0;  // -0 is the same place as 0
        std::int64_t b;
        std::memcpy(&b, &v, sizeof b);
        return b;
    }

    std::unordered_map<Key, int, KeyHash> slots_;  // a place in a smoothing group: its normal's slot
    std::vector<Vec3d> slot_sums_;                 // area-weighted face normals met there
    std::vector<std::int64_t> normal_of_;          // per vertex: a slot, or -1 - the file's normal
    const std::vector<Vec3>* normals_ = nullptr;
    std::uint64_t faces_made_ = 0;
    bool smooth_ = false, textured_ = false;
};

// What tinyobjloader's reader hands over, line by line, in the file's order.
struct Reading {
    const std::string& path;
    const TextCheck& check;
    Materials& materials;
    std::vector<Vec3d> positions;
    std::vector<Mesh::TexturePosition> uvs;
    std::vector<Vec3> normals;
    std::vector<PartBuilder> parts;
    std::map<std::string, std::size_t> part_by_name;
    std::size_t face = 0, next_state = 0;
    const Material* material = nullptr;
    unsigned smoothing = 0;
    std::size_t part = 0;
    std::string problem;
    std::vector<PartBuilder::Corner> corners;  // the face being read

    // OBJ indices count from 1, or back from the latest when negative.
    static std::int64_t resolve(int index, std::size_t count) {
        if (index > 0) return index - 1 <= static_cast<std::int64_t>(count) - 1 ? index - 1 : -2;
        if (index < 0) return static_cast<std::int64_t>(count) + index >= 0 ? static_cast<std::int64_t>(count) + index : -2;
        return -1;
    }

    void add_face(const tinyobj::index_t* indices, int count) {
        while (next_state < check.states.size() && check.states[next_state].first_face == face) {
            const FaceState& state = check.states[next_state++];
            material = materials.find(state.material);
            smoothing = state.smoothing;
            const auto [found, made] = part_by_name.try_emplace(state.part, parts.size());
            if (made) parts.emplace_back(state.part);
            part = found->second;
        }
        ++face;
        if (count < 3 || !problem.empty()) return;
        corners.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            PartBuilder::Corner& c = corners[static_cast<std::size_t>(i)];
            c = {resolve(indices[i].vertex_index, positions.size()), resolve(indices[i].texcoord_index, uvs.size()),
                 resolve(indices[i].normal_index, normals.size())};
            if (c.position < 0 || c.uv == -2 || c.normal == -2) {
                problem = "The model " + path + " refers to a vertex it does not define.";
                return;
            }
        }
        parts[part].add_face(corners.data(), count, material, smoothing, positions, uvs, normals);
    }
};

}  // namespace

LoadedModel load_obj_model(const std::string& path) {
    LoadedModel model;
    // The file is read twice, a piece at a time, never held whole: once for
    // the statements that name things, once by tinyobjloader for the numbers.
    TextCheck check(path, "model");
    {
        BoundedFile file(path, "model");
        std::istream stream(&file);
        check.obj(stream);
    }
    model.warnings = check.warnings();

    Materials materials(folder_of(path), model);
    for (const std::string& library : check.libraries) materials.read_library(library);

    Reading reading{path, check, materials, {}, {}, {}, {}, {}, 0, 0, nullptr, 0, 0, {}, {}};
    tinyobj::callback_t callback;
    callback.vertex_cb = [](void* r, tinyobj::real_t x, tinyobj::real_t y, tinyobj::real_t z, tinyobj::real_t) {
        static_cast<Reading*>(r)->positions.push_back({x, y, z});
    };
    callback.normal_cb = [](void* r, tinyobj::real_t x, tinyobj::real_t y, tinyobj::real_t z) {
        static_cast<Reading*>(r)->normals.push_back(to_f(normalized({x, y, z})));
    };
    // OBJ's v grows upwards; the texture's rows run downwards.
    callback.texcoord_cb = [](void* r, tinyobj::real_t u, tinyobj::real_t v, tinyobj::real_t) {
        static_cast<Reading*>(r)->uvs.push_back({static_cast<float>(u), static_cast<float>(1.0 - v)});
    };
    callback.index_cb = [](void* r, tinyobj::index_t* indices, int count) {
        static_cast<Reading*>(r)->add_face(indices, count);
    };
    std::string warning, error;
    {
        BoundedFile file(path, "model");
        std::istream stream(&file);
        if (!tinyobj::LoadObjWithCallback(stream, callback, &reading, nullptr, &warning, &error))
            throw model_error("The model " + path + " is not a readable OBJ file.");
    }
    if (!reading.problem.empty()) throw model_error(reading.problem);
    if (reading.face != check.faces)
        throw model_error("The model " + path + " has face lines this host cannot read.");

    int unnamed = 0;
    for (PartBuilder& part : reading.parts) {
        if (part.triangles() == 0) continue;
        model.triangles += part.triangles();
        const std::string name = part.name().empty() ? "Part" + std::to_string(++unnamed) : part.name();
        model.scene.add_part(name, part.finish(materials.textures));
    }
    if (model.triangles == 0) throw model_error("The model " + path + " has no faces to render.");
    frame_model(model, path);
    return model;
}

}  // namespace simhost
