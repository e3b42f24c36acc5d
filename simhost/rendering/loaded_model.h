// A model read from the user's file, and what every model reader shares:
// bounded reading, and placing the model where any capture frames it well.
#pragma once

#include <cstdint>
#include <cstdio>
#include <streambuf>
#include <stdexcept>
#include <string>
#include <vector>

#include "simhost/rendering/scene_model.h"

namespace simhost {

class model_error : public std::runtime_error {
public:
    explicit model_error(const std::string& sentence) : std::runtime_error(sentence) {}
};

struct LoadedModel {
    Scene scene;           // one part per object or group, framed by the user's cameras
    std::string warnings;  // lines of what the reader passed over (a missing .mtl, a line that is no statement)
    std::size_t triangles = 0;
    std::vector<std::string> material_files;  // the material libraries read
    std::vector<std::string> texture_files;   // the pictures read as textures
    std::vector<std::string> resource_files;  // a glTF file's buffers and pictures
};

// What one model, material or texture file may hold: far beyond any model this
// host renders in reasonable time, and a bound on what a device or a growing
// file can make us read.
constexpr std::uint64_t max_model_file_bytes = std::uint64_t(256) << 20;

// The whole of a regular file of at most max_model_file_bytes, refused by its
// size before any of it is read; `what` names it in the sentence.
std::string read_bounded(const std::string& path, const std::string& what);
// The sentence refusing a file over the bound.
std::string too_large(const std::string& path, const std::string& what);

// A regular file of at most max_model_file_bytes, read as a stream a piece at
// a time, so a model is never held whole in memory; reading past the bound
// (a file that grows) throws model_error.
class BoundedFile : public std::streambuf {
public:
    BoundedFile(const std::string& path, const std::string& what);
    ~BoundedFile() override;
    BoundedFile(const BoundedFile&) = delete;
    BoundedFile& operator=(const BoundedFile&) = delete;

protected:
    int_type underflow() override;

private:
    std::FILE* file_;
    std::string too_large_;
    std::uint64_t read_ = 0;
    char buffer_[1 << 16];
};
std::string folder_of(const std::string& path);

// Wavefront OBJ with its .mtl colours and map_Kd textures, or glTF 2.0
// (.gltf, .glb), chosen by the name's extension. Throws model_error with one
// sentence naming the problem: a file that is missing, a folder, a device or
// too large, a coordinate or colour that is not a finite number, no faces, a
// model with no extent.
LoadedModel load_model(const std::string& path);

// Moves the finished parts so the model's centre is the origin and scales
// them by a power of two (exact in binary arithmetic) to a radius between 1
// and 2, so any size and any distance from the origin is framed and turned
// with full precision; then adds the user's cameras. Refuses a model whose
// extent is zero or not a finite number.
void frame_model(LoadedModel& model, const std::string& path);

}  // namespace simhost
