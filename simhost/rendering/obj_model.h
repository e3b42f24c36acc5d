// Wavefront OBJ models with their .mtl diffuse colours, read with tinyobjloader.
#pragma once

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
    Scene scene;           // one part per OBJ object or group, framed by the user's cameras
    std::string warnings;  // lines of what the reader passed over (a missing .mtl, a line that is no statement)
    std::size_t triangles = 0;
    std::vector<std::string> material_files;  // the material libraries read
};

// Reads regular files of at most 256 MB only. Throws model_error with one
// sentence naming the problem: a file that is missing, a folder, a device or
// too large, a coordinate or colour that is not a finite number, no faces.
LoadedModel load_obj_model(const std::string& path);

}  // namespace simhost
