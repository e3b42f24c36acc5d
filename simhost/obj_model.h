// Wavefront OBJ models with their .mtl diffuse colours, read with tinyobjloader.
#pragma once

#include <stdexcept>
#include <string>

#include "simhost/scene_model.h"

namespace simhost {

class model_error : public std::runtime_error {
public:
    explicit model_error(const std::string& sentence) : std::runtime_error(sentence) {}
};

struct LoadedModel {
    Scene scene;           // one part per OBJ object or group, framed by the user's cameras
    std::string warnings;  // what the reader noticed but could work around (a missing .mtl, ...)
    std::size_t triangles = 0;
};

// Throws model_error with one sentence naming the problem.
LoadedModel load_obj_model(const std::string& path);

}  // namespace simhost
