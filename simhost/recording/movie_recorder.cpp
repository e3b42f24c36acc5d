#include "simhost/recording/movie_recorder.h"

#include <utility>

#include "quicktime/qt_types.h"
#include "simhost/host_objects/host_errors.h"

namespace simhost {

namespace {

// The plug-in records its frames into the temporary folder: a failure there, in words.
std::string why(medialayer::OSErr err) {
    switch (err) {
    case dskFulErr: return "the temporary folder is full";
    case permErr:
    case wrPermErr: return "the temporary folder is not writable";
    case ioErr: return "the temporary folder cannot be written (an input/output error, or a file size limit)";
    default: return "error " + std::to_string(err);
    }
}

}  // namespace

MovieRecorder::MovieRecorder(std::string path, FrameCodec codec) : path_(std::move(path)), codec_(codec) {}

void MovieRecorder::open(int width, int height) {
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
        throw host_error("cannot record frames of " + std::to_string(width) + " x " + std::to_string(height));
    medialayer::VideoFormat format;
    format.codec = frame_codec_type(codec_);
    format.width = static_cast<std::uint16_t>(width);
    format.height = static_cast<std::uint16_t>(height);
    format.depth = 24;
    const medialayer::OSErr err = medialayer::MovieWriter::create(path_, movie_time_scale, format, writer_);
    if (err != 0 || !writer_)
        throw host_error("cannot start the movie " + path_ + ": " + why(err));
    width_ = width;
    height_ = height;
}

void MovieRecorder::append(const Image& frame) {
    if (!writer_) open(frame.width, frame.height);
    if (frame.width != width_ || frame.height != height_)
        throw host_error("frame " + std::to_string(frames_ + 1) + " is " + std::to_string(frame.width) + " x " +
                         std::to_string(frame.height) + " but the movie is " + std::to_string(width_) + " x " +
                         std::to_string(height_));
    const std::vector<std::uint8_t> sample = encode_frame(frame, codec_);
    const medialayer::OSErr err = writer_->append_sample(sample.data(), sample.size(), frame_duration);
    if (err != 0) throw host_error("cannot add frame " + std::to_string(frames_ + 1) + " to " + path_ + ": " + why(err));
    ++frames_;
}

void MovieRecorder::finish(int empty_width, int empty_height) {
    if (!writer_) open(empty_width, empty_height);
    const medialayer::OSErr err = writer_->finish();
    writer_.reset();
    if (err != 0) throw host_error("cannot finish the movie " + path_ + ": " + why(err));
}

}  // namespace simhost
