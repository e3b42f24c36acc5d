#include "simhost/rendering/loaded_model.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "simhost/rendering/demo_scene.h"
#include "simhost/rendering/gltf_model.h"
#include "simhost/rendering/obj_model.h"

namespace simhost {

namespace {

// The file's size, refused before any of it is read when it is no regular file or too large.
std::uintmax_t checked_size(const std::string& path, const std::string& what) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status))
        throw model_error("The " + what + " " + path + " does not exist or cannot be read.");
    if (fs::is_directory(status)) throw model_error("The " + what + " " + path + " is a folder, not a file.");
    if (!fs::is_regular_file(status))
        throw model_error("The " + what + " " + path + " is not a regular file; a device or a pipe is not read.");
    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > max_model_file_bytes) throw model_error(too_large(path, what));
    return error ? 0 : size;
}

}  // namespace

std::string too_large(const std::string& path, const std::string& what) {
    return "The " + what + " " + path + " is larger than the " + std::to_string(max_model_file_bytes >> 20) +
           " MB this host reads.";
}

std::string read_bounded(const std::string& path, const std::string& what) {
    const std::uintmax_t size = checked_size(path, what);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw model_error("The " + what + " " + path + " does not exist or cannot be read.");
    std::string text;
    text.reserve(static_cast<std::size_t>(size));
    char chunk[1 << 16];
    // A file that grows while it is read is still cut off at the bound.
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        if (text.size() + static_cast<std::size_t>(in.gcount()) > max_model_file_bytes) throw model_error(too_large(path, what));
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

BoundedFile::BoundedFile(const std::string& path, const std::string& what) : file_(nullptr), too_large_(too_large(path, what)) {
    checked_size(path, what);
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw model_error("The " + what + " " + path + " does not exist or cannot be read.");
}

BoundedFile::~BoundedFile() { std::fclose(file_); }

BoundedFile::int_type BoundedFile::underflow() {
    const std::size_t got = std::fread(buffer_, 1, sizeof buffer_, file_);
    read_ += got;
    if (read_ > max_model_file_bytes) throw model_error(too_large_);
    if (got == 0) return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + got);
    return traits_type::to_int_type(buffer_[0]);
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

LoadedModel load_model(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    if (extension == ".gltf" || extension == ".glb") return load_gltf_model(path);
    return load_obj_model(path);
}

void frame_model(LoadedModel& model, const std::string& path) {
    Vec3d low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const ScenePart& part : model.scene.parts())
        for (const Mesh::Face& f : part.mesh.faces)
            for (const int k : {f.a, f.b, f.c}) {
                const Vec3d& v = part.mesh.vertices[static_cast<std::size_t>(k)];
                low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
                high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
            }
    const Vec3d centre = low * 0.5 + high * 0.5;
    const Vec3d half = high * 0.5 - low * 0.5;
    const double radius = length(half);
    if (!std::isfinite(radius) || !std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(centre.z))
        throw model_error("The model " + path + " reaches beyond the numbers this host can place.");
    if (radius == 0) throw model_error("The model " + path + " has no extent: all its faces lie on one point.");
    const double scale = std::ldexp(1.0, -std::ilogb(radius));
    Scene::Contents contents = model.scene.release_contents();
    for (ScenePart& part : contents.parts)
        for (Vec3d& v : part.mesh.vertices) v = (v - centre) * scale;
    model.scene.restore_contents(std::move(contents));
    add_user_cameras(model.scene, {0, 0, 0}, radius * scale);
}

}  // namespace simhost
