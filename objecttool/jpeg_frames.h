// Photo-JPEG frames through libjpeg-turbo.
#pragma once

#include <cstdint>
#include <vector>

#include "objecttool/rgb_image.h"

namespace objecttool {

// Each throws std::runtime_error with libjpeg's own message for data that is
// not a JPEG image it can read.

// Reduced by `shrink` (1, 2, 4 or 8) with libjpeg's scaled decoding, which is
// faster than decoding whole and averaging.
RgbImage decode_jpeg(const std::vector<std::uint8_t>& bytes, int shrink);
// Reads the header only: the image's width and height.
void read_jpeg_size(const std::vector<std::uint8_t>& bytes, int& width, int& height);
std::vector<std::uint8_t> encode_jpeg(const RgbImage& image, int quality);

}  // namespace objecttool
