// Turns a movie's frames into pictures: Photo-JPEG ('jpeg') and 24-bit 'raw '
// directly, every other codec FFmpeg knows through its libraries.
#pragma once

#include <cstdint>
#include <memory>

#include "objecttool/object_movie.h"
#include "objecttool/rgb_image.h"

namespace objecttool {

class FrameDecoder {
public:
    // Throws tool_error naming the codec when this build cannot decode it.
    static std::unique_ptr<FrameDecoder> for_movie(const ObjectMovie& movie);
    virtual ~FrameDecoder() = default;
    // The picture of sample `index` of the video track, reduced by `shrink`
    // (1, 2, 4 or 8). Cheapest in increasing sample order: codecs whose frames
    // build on earlier ones decode the samples in between. Throws tool_error.
    virtual RgbImage decode(std::uint32_t index, int shrink) = 0;
};

// Implemented in ffmpeg_decoder.cpp: nullptr when FFmpeg has no decoder for `codec`.
std::unique_ptr<FrameDecoder> make_ffmpeg_decoder(const ObjectMovie& movie);
// FFmpeg's long name for a QuickTime codec type, or "" when it knows none.
std::string ffmpeg_codec_name(std::uint32_t codec);

}  // namespace objecttool
