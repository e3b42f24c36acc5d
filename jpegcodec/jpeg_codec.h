// Photo-JPEG images through libjpeg-turbo: baseline, 4:2:0, RGB in and out.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace jpegcodec {

// What libjpeg refused, in its own words.
struct jpeg_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// 8 bits a channel, rows top to bottom without padding.
struct RgbPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// The header only: the image's width and height (rgb left empty).
RgbPixels read_size(const std::vector<std::uint8_t>& bytes);
// Reduced by `shrink` (1, 2, 4 or 8) with libjpeg's scaled decoding, which is
// faster than decoding whole and averaging. Corrupt data that libjpeg could
// step over is refused too: a damaged frame is not shown as if whole.
RgbPixels decode(const std::vector<std::uint8_t>& bytes, int shrink = 1);
// `rgb` holds width * height * 3 bytes.
std::vector<std::uint8_t> encode(const std::uint8_t* rgb, int width, int height, int quality);

}  // namespace jpegcodec
