// PNG encoding through libpng.
#pragma once

#include <cstdint>
#include <vector>

#include "objecttool/rgb_image.h"

namespace objecttool {

// Fast zlib settings: a contact sheet is written often and looked at once.
// Throws std::runtime_error with libpng's message.
std::vector<std::uint8_t> encode_png(const RgbImage& image);

}  // namespace objecttool
