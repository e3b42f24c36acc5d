// How the renderer's images become movie samples.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simhost/rendering/image.h"

namespace simhost {

enum class FrameCodec {
    jpeg,  // Photo-JPEG ('jpeg')
    raw,   // 24-bit RGB rows top to bottom, no padding ('raw ')
};

// "jpeg" or "raw"; nullopt for anything else.
std::optional<FrameCodec> frame_codec_named(const std::string& name);
const char* frame_codec_name(FrameCodec codec);
// False when this build has no JPEG encoder.
bool frame_codec_available(FrameCodec codec);

std::uint32_t frame_codec_type(FrameCodec codec);
std::vector<std::uint8_t> encode_frame(const Image& image, FrameCodec codec);
// The inverse, for reading frames back; throws host_error on bad data.
Image decode_frame(const std::vector<std::uint8_t>& bytes, FrameCodec codec, int width, int height);

constexpr int jpeg_quality = 90;

}  // namespace simhost
