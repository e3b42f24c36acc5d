// glTF 2.0 models (.gltf with its buffers and pictures, or one .glb), read with tinygltf.
#pragma once

#include <string>

#include "simhost/rendering/loaded_model.h"

namespace simhost {

// The default scene's meshes (triangles, strips and fans), placed by their
// nodes' transforms, coloured by their materials' base colour factor and
// base colour texture, smooth where they carry normals.
LoadedModel load_gltf_model(const std::string& path);

}  // namespace simhost
