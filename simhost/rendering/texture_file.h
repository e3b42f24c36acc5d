// Pictures used as textures: PNG through libpng, JPEG through libjpeg-turbo.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "simhost/rendering/image.h"

namespace simhost {

// Throws model_error with one sentence when the bytes are no PNG or JPEG
// picture, are damaged, or hold more than 64 million pixels. Palette, grey,
// 16-bit and transparent pictures come back as 8-bit RGB (transparency ignored).
Image decode_texture(const std::vector<std::uint8_t>& bytes, const std::string& name);
// A file read as loaded_model.h bounds it.
std::shared_ptr<const Image> read_texture_file(const std::string& path);

}  // namespace simhost
