#include "simhost/rendering/texture_file.h"

#include <png.h>

#include <cstring>

#include "jpegcodec/jpeg_codec.h"
#include "simhost/rendering/loaded_model.h"

namespace simhost {

namespace {

constexpr std::uint64_t max_texture_pixels = std::uint64_t(64) << 20;

bool starts_with(const std::vector<std::uint8_t>& bytes, std::initializer_list<std::uint8_t> head) {
    return bytes.size() >= head.size() && std::equal(head.begin(), head.end(), bytes.begin());
}

void check_size(std::uint64_t width, std::uint64_t height, const std::string& name) {
    if (width == 0 || height == 0 || width * height > max_texture_pixels)
        throw model_error("The texture " + name + " is " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels; this host reads textures of up to 64 million pixels.");
}

Image decode_png(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        throw model_error("The texture " + name + " is a damaged PNG picture (" + png.message + ").");
    check_size(png.width, png.height, name);
    png.format = PNG_FORMAT_RGB;
    Image image(static_cast<int>(png.width), static_cast<int>(png.height));
    // Transparent texels are shown as if over black, their colour as stored.
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        throw model_error("The texture " + name + " is a damaged PNG picture (" + png.message + ").");
    }
    return image;
}

Image decode_jpeg(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    try {
        const jpegcodec::RgbPixels size = jpegcodec::read_size(bytes);
        check_size(static_cast<std::uint64_t>(size.width), static_cast<std::uint64_t>(size.height), name);
        jpegcodec::RgbPixels pixels = jpegcodec::decode(bytes);
        Image image;
        image.width = pixels.width;
        image.height = pixels.height;
        image.rgb = std::move(pixels.rgb);
        return image;
    } catch (const jpegcodec::jpeg_error& e) {
        throw model_error("The texture " + name + " is a damaged JPEG picture (" + e.what() + ").");
    }
}

}  // namespace

Image decode_texture(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    if (starts_with(bytes, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'})) return decode_png(bytes, name);
    if (starts_with(bytes, {0xff, 0xd8, 0xff})) return decode_jpeg(bytes, name);
    throw model_error("The texture " + name + " is neither a PNG nor a JPEG picture.");
}

std::shared_ptr<const Image> read_texture_file(const std::string& path) {
    const std::string text = read_bounded(path, "texture");
    return std::make_shared<const Image>(decode_texture(std::vector<std::uint8_t>(text.begin(), text.end()), path));
}

}  // namespace simhost
