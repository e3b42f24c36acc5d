// Records the renderer's frames into a movie through the media layer.
//
// Every frame is one sample lasting 60 units at time scale 600 (a tenth of a
// second). The movie takes the size of its first frame; the writer appears
// at the path only when finish() succeeds, so a failed or abandoned recording
// leaves whatever was there before.
#pragma once

#include <memory>
#include <string>

#include "medialayer/movie_api.h"
#include "simhost/recording/frame_codec.h"
#include "simhost/rendering/image.h"

namespace simhost {

constexpr std::int32_t movie_time_scale = 600;
constexpr std::uint32_t frame_duration = 60;

class MovieRecorder {
public:
    MovieRecorder(std::string path, FrameCodec codec);

    // Throws host_error when the frame cannot be encoded or written, or
    // when its size differs from the movie's.
    void append(const Image& frame);
    // A movie with no frames takes empty_size. Throws host_error on failure.
    void finish(int empty_width, int empty_height);

    const std::string& path() const { return path_; }
    int frames() const { return frames_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    void open(int width, int height);

    std::string path_;
    FrameCodec codec_;
    std::unique_ptr<medialayer::MovieWriter> writer_;
    int frames_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace simhost
