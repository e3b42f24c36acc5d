#include "objecttool/jpeg_frames.h"

#include <utility>

#include "jpegcodec/jpeg_codec.h"

namespace objecttool {

RgbImage decode_jpeg(const std::vector<std::uint8_t>& bytes, int shrink) {
    jpegcodec::RgbPixels pixels = jpegcodec::decode(bytes, shrink);
    RgbImage image;
    image.width = pixels.width;
    image.height = pixels.height;
    image.rgb = std::move(pixels.rgb);
    return image;
}

void read_jpeg_size(const std::vector<std::uint8_t>& bytes, int& width, int& height) {
    const jpegcodec::RgbPixels size = jpegcodec::read_size(bytes);
    width = size.width;
    height = size.height;
}

std::vector<std::uint8_t> encode_jpeg(const RgbImage& image, int quality) {
    return jpegcodec::encode(image.rgb.data(), image.width, image.height, quality);
}

}  // namespace objecttool
