#include "objecttool/frame_decoder.h"

#include <cstring>
#include <stdexcept>

#include "objecttool/jpeg_frames.h"
#include "objecttool/tool_error.h"
#include "quicktime/qt_types.h"

namespace objecttool {

namespace {

std::string frame_name(const ObjectMovie& movie, std::uint32_t index) {
    return movie.path() + ": frame " + std::to_string(index + 1);
}

std::vector<std::uint8_t> sample_bytes(const ObjectMovie& movie, std::uint32_t index) {
    std::vector<std::uint8_t> bytes;
    std::uint32_t duration = 0;
    if (medialayer::OSErr err = movie.reader().read_sample(movie.video_index(), index, bytes, duration))
        throw tool_error(frame_name(movie, index) + " cannot be read (error " + std::to_string(err) + ").");
    return bytes;
}

class JpegDecoder final : public FrameDecoder {
public:
    explicit JpegDecoder(const ObjectMovie& movie) : movie_(movie) {}
    RgbImage decode(std::uint32_t index, int shrink) override {
        const std::vector<std::uint8_t> bytes = sample_bytes(movie_, index);
        const auto& format = movie_.format();
        try {
            // The header first: a frame claiming another size is refused before its pixels are allocated.
            int width = 0, height = 0;
            read_jpeg_size(bytes, width, height);
            if (width != format.width || height != format.height)
                throw tool_error(frame_name(movie_, index) + " is " + std::to_string(width) + " x " +
                                 std::to_string(height) + ", not the movie's " + std::to_string(format.width) + " x " +
                                 std::to_string(format.height) + ".");
            return decode_jpeg(bytes, shrink);
        } catch (const tool_error&) {
            throw;
        } catch (const std::runtime_error& e) {
            throw tool_error(frame_name(movie_, index) + " is not a readable JPEG image (" + e.what() + ").");
        }
    }

private:
    const ObjectMovie& movie_;
};

// 'raw ' at 24 bits: RGB rows top to bottom, each padded to the stride the sample's size implies.
class RawDecoder final : public FrameDecoder {
public:
    explicit RawDecoder(const ObjectMovie& movie) : movie_(movie) {}
    RgbImage decode(std::uint32_t index, int shrink) override {
        const auto& format = movie_.format();
        const std::vector<std::uint8_t> bytes = sample_bytes(movie_, index);
        const std::size_t row_bytes = std::size_t(format.width) * 3;
        const std::size_t stride = bytes.size() / format.height;
        if (stride < row_bytes || bytes.size() % format.height != 0)
            throw tool_error(frame_name(movie_, index) + " holds " + std::to_string(bytes.size()) +
                             " bytes, not a " + std::to_string(format.width) + " x " + std::to_string(format.height) +
                             " RGB picture.");
        RgbImage image(format.width, format.height);
        for (int y = 0; y < image.height; ++y) std::memcpy(image.row(y), bytes.data() + std::size_t(y) * stride, row_bytes);
        return shrink_image(image, shrink);
    }

private:
    const ObjectMovie& movie_;
};

}  // namespace

std::unique_ptr<FrameDecoder> FrameDecoder::for_movie(const ObjectMovie& movie) {
    const auto& format = movie.format();
    if (format.codec == four_cc("jpeg")) return std::make_unique<JpegDecoder>(movie);
    if (format.codec == four_cc("raw ") && format.depth == 24) return std::make_unique<RawDecoder>(movie);
    if (auto decoder = make_ffmpeg_decoder(movie)) return decoder;
    const std::string name = ffmpeg_codec_name(format.codec);
    throw tool_error(movie.path() + " stores its frames as '" + fourcc_text(format.codec) + "'" +
                     (name.empty() ? "" : " (" + name + ")") + ", which this tool cannot decode.");
}

}  // namespace objecttool
