// Photo-JPEG frames through libjpeg-turbo: baseline, 4:2:0, one image per frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/rendering/image.h"

namespace simhost {

// Throws host_error when libjpeg refuses.
std::vector<std::uint8_t> encode_jpeg(const Image& image, int quality);
// Throws host_error for data that is not a JPEG image.
Image decode_jpeg(const std::vector<std::uint8_t>& bytes);

}  // namespace simhost
