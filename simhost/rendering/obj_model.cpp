#include "simhost/rendering/obj_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <streambuf>
#include <string_view>

#include <tiny_obj_loader.h>

#include "simhost/rendering/demo_scene.h"

namespace simhost {

namespace {

constexpr Rgb unpainted{200, 200, 200};
// What one model or material file may hold: far beyond any model this host renders in
// reasonable time, and a bound on what a device or a growing file can make us read.
constexpr std::uint64_t max_file_bytes = std::uint64_t(256) << 20;
constexpr int warnings_listed = 10;

// The whole of a regular file of at most max_file_bytes; `what` names it in the sentence.
std::string read_bounded(const std::string& path, const std::string& what) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status))
        throw model_error("The " + what + " " + path + " does not exist or cannot be read.");
    if (fs::is_directory(status)) throw model_error("The " + what + " " + path + " is a folder, not a file.");
    if (!fs::is_regular_file(status))
        throw model_error("The " + what + " " + path + " is not a regular file; a device or a pipe is not read.");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw model_error("The " + what + " " + path + " does not exist or cannot be read.");
    std::string text;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (text.size() > max_file_bytes)
            throw model_error("The " + what + " " + path + " is larger than the " +
                              std::to_string(max_file_bytes >> 20) + " MB this host reads.");
    }
    return text;
}

// Reads the text in place, without a copy.
class TextBuffer : public std::streambuf {
public:
    explicit TextBuffer(std::string& text) { setg(text.data(), text.data(), text.data() + text.size()); }
};

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

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

// Notes lines the reader would pass over in silence, and refuses numbers that are no numbers:
// the reader turns "nan" into 0 where it should not be read at all.
class TextCheck {
public:
    TextCheck(const std::string& path, const std::string& what) : path_(path), what_(what) {}

    void obj(const std::string& text) {
        each_line(text, [&](std::string_view line, int number) {
            const std::vector<std::string_view> words = words_of(line);
            if (words.empty() || words[0][0] == '#') return;
            if (!is_obj_statement(words[0])) return note(number, "is not an OBJ statement");
            if (words[0] == "v" || words[0] == "vn" || words[0] == "vt") numbers(words, number, "coordinate");
        });
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

private:
    template <typename Fn>
    static void each_line(const std::string& text, Fn fn) {
        std::size_t start = 0;
        for (int number = 1; start < text.size(); ++number) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            fn(std::string_view(text).substr(start, end - start), number);
            start = end + 1;
        }
    }

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

// The material libraries an OBJ file names, each read with the same bounds and checks.
class BoundedMaterialReader : public tinyobj::MaterialReader {
public:
    BoundedMaterialReader(std::string folder, LoadedModel& model) : folder_(std::move(folder)), model_(model) {}

    bool operator()(const std::string& name, std::vector<tinyobj::material_t>* materials,
                    std::map<std::string, int>* names, std::string* warning, std::string*) override {
        const std::string path = folder_ + name;
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            *warning += "the material library " + path + " does not exist; the model is drawn uncoloured\n";
            return false;
        }
        std::string text = read_bounded(path, "material library");
        TextCheck check(path, "material library");
        check.mtl(text);
        model_.material_files.push_back(path);
        TextBuffer buffer(text);
        std::istream stream(&buffer);
        std::string ignored;
        tinyobj::LoadMtl(names, materials, &stream, warning, &ignored);
        return true;
    }

private:
    std::string folder_;
    LoadedModel& model_;
};

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
    LoadedModel model;
    std::string text = read_bounded(path, "model");
    TextCheck check(path, "model");
    check.obj(text);

    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning, error;
    BoundedMaterialReader material_reader(folder_of(path), model);
    TextBuffer buffer(text);
    std::istream stream(&buffer);
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, &stream, &material_reader, true, false))
        throw model_error("The model " + path + " is not a readable OBJ file: " + first_line(error) + ".");
    model.warnings = check.warnings() + warning;
    for (const tinyobj::material_t& material : materials)
        for (const tinyobj::real_t channel : material.diffuse)
            if (!std::isfinite(channel))
                throw model_error("The model " + path + " gives material \"" + material.name +
                                  "\" a colour that is not a finite number.");

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
    for (const tinyobj::shape_t& shape : shapes) {
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
