#include "simhost/recording/frame_codec.h"

#include "medialayer/movie_api.h"
#include "simhost/host_objects/host_errors.h"
#if SIMHOST_WITH_JPEG
#include "simhost/recording/jpeg_codec.h"
#endif

namespace simhost {

std::optional<FrameCodec> frame_codec_named(const std::string& name) {
    if (name == "jpeg") return FrameCodec::jpeg;
    if (name == "raw") return FrameCodec::raw;
    return std::nullopt;
}

const char* frame_codec_name(FrameCodec codec) { return codec == FrameCodec::jpeg ? "jpeg" : "raw"; }

bool frame_codec_available(FrameCodec codec) { return codec == FrameCodec::raw || SIMHOST_WITH_JPEG; }

std::uint32_t frame_codec_type(FrameCodec codec) {
    return codec == FrameCodec::jpeg ? medialayer::codec_jpeg : medialayer::codec_raw;
}

std::vector<std::uint8_t> encode_frame(const Image& image, FrameCodec codec) {
    if (codec == FrameCodec::raw) return image.rgb;
#if SIMHOST_WITH_JPEG
    return encode_jpeg(image, jpeg_quality);
#else
    throw host_error("this build of the host has no JPEG encoder");
#endif
}

Image decode_frame(const std::vector<std::uint8_t>& bytes, FrameCodec codec, int width, int height) {
    if (codec == FrameCodec::raw) {
        if (bytes.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
            throw host_error("a raw frame of " + std::to_string(width) + " x " + std::to_string(height) + " holds " +
                             std::to_string(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) +
                             " bytes, not " + std::to_string(bytes.size()));
        Image image(width, height);
        image.rgb = bytes;
        return image;
    }
#if SIMHOST_WITH_JPEG
    Image image = decode_jpeg(bytes);
    if (image.width != width || image.height != height) throw host_error("JPEG frame has an unexpected size");
    return image;
#else
    throw host_error("this build of the host has no JPEG decoder");
#endif
}

}  // namespace simhost
