#include "simhost/recording/jpeg_codec.h"

#include <string>
#include <utility>

#include "jpegcodec/jpeg_codec.h"
#include "simhost/host_objects/host_errors.h"

namespace simhost {

std::vector<std::uint8_t> encode_jpeg(const Image& image, int quality) {
    try {
        return jpegcodec::encode(image.rgb.data(), image.width, image.height, quality);
    } catch (const jpegcodec::jpeg_error& e) {
        throw host_error(std::string("JPEG encoding failed: ") + e.what());
    }
}

Image decode_jpeg(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) throw host_error("JPEG decoding failed: no data");
    jpegcodec::RgbPixels pixels;
    try {
        pixels = jpegcodec::decode(bytes);
    } catch (const jpegcodec::jpeg_error& e) {
        throw host_error(std::string("JPEG decoding failed: ") + e.what());
    }
    Image image;
    image.width = pixels.width;
    image.height = pixels.height;
    image.rgb = std::move(pixels.rgb);
    return image;
}

}  // namespace simhost
