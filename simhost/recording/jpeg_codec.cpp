#include "simhost/recording/jpeg_codec.h"

// jpeglib.h needs size_t and FILE declared first.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "simhost/host_objects/host_errors.h"

namespace simhost {

namespace {

// libjpeg's default error handler exits the process; ours jumps back so the
// caller can raise a host error once libjpeg's C frames are gone.
struct JumpingErrors {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];

    // The manager for a codec's `err`; the caller still sets `back` with
    // setjmp in its own frame, since the jump must land there.
    jpeg_error_mgr* manager_for_codec();
};

void jump_back(j_common_ptr info) {
    auto* errors = reinterpret_cast<JumpingErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->back, 1);
}

jpeg_error_mgr* JumpingErrors::manager_for_codec() {
    jpeg_std_error(&manager);
    manager.error_exit = jump_back;
    return &manager;
}

// The jump must not cross C++ objects with destructors, so each side keeps
// its work in plain C state and reports failure through the message.
bool compress(const Image& image, int quality, unsigned char** out, unsigned long* out_size, char* message) {
    jpeg_compress_struct info;
    JumpingErrors errors;
    info.err = errors.manager_for_codec();
    if (setjmp(errors.back)) {
        jpeg_destroy_compress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, out_size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&image.rgb[info.next_scanline * stride]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

// Reads the header and reports the size; with `image` given (sized by an
// earlier header-only call, so its storage is outside the jump's reach) it
// also reads the pixels, which must match that size.
bool decompress(const std::vector<std::uint8_t>& bytes, Image* image, int& width, int& height, char* message) {
    jpeg_decompress_struct info;
    JumpingErrors errors;
    info.err = errors.manager_for_codec();
    if (setjmp(errors.back)) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    width = static_cast<int>(info.image_width);
    height = static_cast<int>(info.image_height);
    if (image == nullptr) {
        jpeg_destroy_decompress(&info);
        return true;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (static_cast<int>(info.output_width) != image->width || static_cast<int>(info.output_height) != image->height) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "unexpected size");
        return false;
    }
    const std::size_t stride = static_cast<std::size_t>(image->width) * 3;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &image->rgb[info.output_scanline * stride];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

std::vector<std::uint8_t> encode_jpeg(const Image& image, int quality) {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool ok = compress(image, quality, &buffer, &size, message);
    std::vector<std::uint8_t> bytes;
    if (ok) bytes.assign(buffer, buffer + size);
    std::free(buffer);
    if (!ok) throw host_error(std::string("JPEG encoding failed: ") + message);
    return bytes;
}

Image decode_jpeg(const std::vector<std::uint8_t>& bytes) {
    char message[JMSG_LENGTH_MAX] = {};
    int width = 0, height = 0;
    if (bytes.empty()) throw host_error("JPEG decoding failed: no data");
    if (!decompress(bytes, nullptr, width, height, message)) throw host_error(std::string("JPEG decoding failed: ") + message);
    Image image(width, height);
    if (!decompress(bytes, &image, width, height, message)) throw host_error(std::string("JPEG decoding failed: ") + message);
    return image;
}

}  // namespace simhost
