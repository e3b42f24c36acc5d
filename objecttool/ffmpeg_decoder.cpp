// Frames in the codecs older object movies use (Cinepak, Apple Video,
// Animation, Sorenson, ...) through FFmpeg's libavcodec and libswscale.
#include <cstring>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include "objecttool/frame_decoder.h"
#include "objecttool/qt_palette.h"
#include "objecttool/tool_error.h"

namespace objecttool {

namespace {

constexpr std::uint32_t sorenson3 = 0x53565133;  // 'SVQ3'

// FFmpeg keys QuickTime codecs by the four characters read little-endian.
AVCodecID codec_id(std::uint32_t codec) {
    const AVCodecTag* const tables[] = {avformat_get_mov_video_tags(), nullptr};
    return av_codec_get_id(tables, __builtin_bswap32(codec));
}

std::string ffmpeg_message(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

struct CodecContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScalerFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

class FfmpegDecoder final : public FrameDecoder {
public:
    FfmpegDecoder(const ObjectMovie& movie, const AVCodec* codec)
        : movie_(movie), codec_(codec), palette_(description_palette(movie.format())) {
        packet_.reset(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        if (!packet_ || !frame_) throw tool_error("Out of memory while preparing FFmpeg's decoder.");
        restart();
    }

    RgbImage decode(std::uint32_t index, int shrink) override {
        // Frames may build on earlier ones: decode every sample in between, from the start when going back.
        if (index < next_) restart();
        while (next_ < index) decode_sample(next_++, nullptr);
        RgbImage image;
        decode_sample(next_++, &image);
        return shrink_image(image, shrink);
    }

private:
    void restart() {
        const auto& format = movie_.format();
        context_.reset(avcodec_alloc_context3(codec_));
        if (!context_) throw tool_error("Out of memory while preparing FFmpeg's decoder.");
        context_->width = format.width;
        context_->height = format.height;
        context_->bits_per_coded_sample = format.depth;
        context_->codec_tag = __builtin_bswap32(format.codec);
        // Sorenson Video 3 keeps its sequence header ('SEQH') in the description's 'SMI ' atom.
        if (format.codec == sorenson3 && !format.extra.empty()) {
            context_->extradata = static_cast<std::uint8_t*>(av_mallocz(format.extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
            if (!context_->extradata) throw tool_error("Out of memory while preparing FFmpeg's decoder.");
            std::memcpy(context_->extradata, format.extra.data(), format.extra.size());
            context_->extradata_size = int(format.extra.size());
        }
        if (int err = avcodec_open2(context_.get(), codec_, nullptr); err < 0)
            throw tool_error(movie_.path() + ": FFmpeg cannot start its " + codec_->name + " decoder (" +
                             ffmpeg_message(err) + ").");
        next_ = 0;
    }

    void decode_sample(std::uint32_t index, RgbImage* out) {
        std::vector<std::uint8_t> bytes;
        std::uint32_t duration = 0;
        if (medialayer::OSErr err = movie_.reader().read_sample(movie_.video_index(), index, bytes, duration))
            throw tool_error(movie_.path() + ": frame " + std::to_string(index + 1) + " cannot be read (error " +
                             std::to_string(err) + ").");
        // FFmpeg's bitstream readers may look a little past the end: give them zeroed padding.
        const std::size_t size = bytes.size();
        bytes.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        packet_->data = bytes.data();
        packet_->size = int(size);
        packet_->flags = AV_PKT_FLAG_KEY;
        // Indexed-colour codecs take their colours from the container, as packet side data.
        if (palette_) {
            std::uint8_t* side = av_packet_new_side_data(packet_.get(), AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
            if (!side) throw tool_error("Out of memory while decoding a frame.");
            std::memcpy(side, palette_->data(), AVPALETTE_SIZE);
        }
        int err = avcodec_send_packet(context_.get(), packet_.get());
        if (err >= 0) err = avcodec_receive_frame(context_.get(), frame_.get());
        av_packet_free_side_data(packet_.get());
        packet_->data = nullptr;
        packet_->size = 0;
        if (err < 0)
            throw tool_error(movie_.path() + ": frame " + std::to_string(index + 1) + " cannot be decoded as " +
                             codec_->long_name + " (" + ffmpeg_message(err) + ").");
        if (out) *out = to_rgb(index);
        av_frame_unref(frame_.get());
    }

    RgbImage to_rgb(std::uint32_t index) {
        const auto& format = movie_.format();
        if (frame_->width != format.width || frame_->height != format.height)
            throw tool_error(movie_.path() + ": frame " + std::to_string(index + 1) + " is " +
                             std::to_string(frame_->width) + " x " + std::to_string(frame_->height) +
                             ", not the movie's " + std::to_string(format.width) + " x " + std::to_string(format.height) + ".");
        scaler_.reset(sws_getCachedContext(scaler_.release(), frame_->width, frame_->height,
                                           AVPixelFormat(frame_->format), frame_->width, frame_->height, AV_PIX_FMT_RGB24,
                                           SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!scaler_) throw tool_error(movie_.path() + ": FFmpeg cannot convert its frames to RGB.");
        RgbImage image(frame_->width, frame_->height);
        std::uint8_t* planes[4] = {image.rgb.data(), nullptr, nullptr, nullptr};
        int strides[4] = {image.width * 3, 0, 0, 0};
        sws_scale(scaler_.get(), frame_->data, frame_->linesize, 0, frame_->height, planes, strides);
        return image;
    }

    const ObjectMovie& movie_;
    const AVCodec* codec_;
    std::unique_ptr<AVCodecContext, CodecContextFree> context_;
    std::unique_ptr<AVPacket, PacketFree> packet_;
    std::unique_ptr<AVFrame, FrameFree> frame_;
    std::unique_ptr<SwsContext, ScalerFree> scaler_;
    std::uint32_t next_ = 0;
    std::optional<std::array<std::uint32_t, 256>> palette_;
};

}  // namespace

std::unique_ptr<FrameDecoder> make_ffmpeg_decoder(const ObjectMovie& movie) {
    const AVCodec* codec = avcodec_find_decoder(codec_id(movie.format().codec));
    if (!codec) return nullptr;
    return std::make_unique<FfmpegDecoder>(movie, codec);
}

std::string ffmpeg_codec_name(std::uint32_t codec) {
    const AVCodecDescriptor* d = avcodec_descriptor_get(codec_id(codec));
    return d && d->long_name ? d->long_name : "";
}

}  // namespace objecttool
