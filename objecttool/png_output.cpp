#include "objecttool/png_output.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <stdexcept>

namespace objecttool {

namespace {

struct PngTarget {
    std::vector<std::uint8_t>* bytes;
    char message[256];
};

void append(png_structp png, png_bytep data, png_size_t size) {
    auto* target = static_cast<PngTarget*>(png_get_io_ptr(png));
    target->bytes->insert(target->bytes->end(), data, data + size);
}

void flush(png_structp) {}

void on_error(png_structp png, png_const_charp message) {
    auto* target = static_cast<PngTarget*>(png_get_error_ptr(png));
    std::snprintf(target->message, sizeof target->message, "%s", message);
    png_longjmp(png, 1);
}

// No C++ object with a destructor lives in this frame: libpng may jump out of it.
bool write(const RgbImage& image, PngTarget& target) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &target, on_error, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &target, append, flush);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) png_write_row(png, const_cast<png_bytep>(image.row(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::vector<std::uint8_t> encode_png(const RgbImage& image) {
    std::vector<std::uint8_t> bytes;
    PngTarget target{&bytes, "libpng could not start"};
    if (!write(image, target)) throw std::runtime_error(target.message);
    return bytes;
}

}  // namespace objecttool
