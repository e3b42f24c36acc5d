// Wavefront OBJ models with their .mtl colours and map_Kd textures, read with tinyobjloader.
#pragma once

#include <string>

#include "simhost/rendering/loaded_model.h"

namespace simhost {

// Reads regular files of at most 256 MB only (loaded_model.h); vertex normals
// or smoothing groups give smooth shading; names in mtllib and usemtl are
// read whole, spaces included.
LoadedModel load_obj_model(const std::string& path);

}  // namespace simhost
