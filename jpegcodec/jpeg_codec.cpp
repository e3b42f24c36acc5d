#include "jpegcodec/jpeg_codec.h"

// jpeglib.h needs size_t and FILE declared first.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace jpegcodec {

namespace {

// libjpeg's default error handler exits the process; ours jumps back to the
// caller's setjmp, which throws once libjpeg's C frames are gone.
struct JumpingErrors {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

void jump_back(j_common_ptr info) {
    auto* errors = reinterpret_cast<JumpingErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->back, 1);
}

void refuse_warning(j_common_ptr info, int level) {
    if (level < 0) jump_back(info);
}

jpeg_error_mgr* prepare(JumpingErrors& errors) {
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jump_back;
    errors.manager.emit_message = refuse_warning;
    return &errors.manager;
}

// The jump must not cross C++ objects with destructors: the pixels go into
// storage the caller sized from an earlier header-only pass (`into` null).
bool decompress(const std::vector<std::uint8_t>& bytes, int shrink, RgbPixels* into, int& width, int& height,
                char* message) {
    jpeg_decompress_struct info;
    JumpingErrors errors;
    info.err = prepare(errors);
    if (setjmp(errors.back)) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(shrink);
    jpeg_calc_output_dimensions(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    if (into && (into->width != width || into->height != height)) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "the image changed size between passes");
        return false;
    }
    if (into) {
        const std::size_t stride = static_cast<std::size_t>(width) * 3;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = into->rgb.data() + info.output_scanline * stride;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return true;
}

bool compress(const std::uint8_t* rgb, int width, int height, int quality, unsigned char** out, unsigned long* size,
              char* message) {
    jpeg_compress_struct info;
    JumpingErrors errors;
    info.err = prepare(errors);
    if (setjmp(errors.back)) {
        jpeg_destroy_compress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

RgbPixels read_size(const std::vector<std::uint8_t>& bytes) {
    char message[JMSG_LENGTH_MAX] = {};
    RgbPixels size;
    if (!decompress(bytes, 1, nullptr, size.width, size.height, message)) throw jpeg_error(message);
    return size;
}

RgbPixels decode(const std::vector<std::uint8_t>& bytes, int shrink) {
    char message[JMSG_LENGTH_MAX] = {};
    RgbPixels pixels;
    if (!decompress(bytes, shrink, nullptr, pixels.width, pixels.height, message)) throw jpeg_error(message);
    pixels.rgb.resize(static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height) * 3);
    int width = 0, height = 0;
    if (!decompress(bytes, shrink, &pixels, width, height, message)) throw jpeg_error(message);
    return pixels;
}

std::vector<std::uint8_t> encode(const std::uint8_t* rgb, int width, int height, int quality) {
    unsigned char* out = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool ok = compress(rgb, width, height, quality, &out, &size, message);
    std::vector<std::uint8_t> bytes;
    if (ok) bytes.assign(out, out + size);
    std::free(out);
    if (!ok) throw jpeg_error(message);
    return bytes;
}

}  // namespace jpegcodec
