// Reading an object movie back: ffprobe's and ffmpeg's view of its frames,
// and the object record and controller type in its user data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simhost/rendering/image.h"

// Frames ffprobe counts by decoding the video stream; -1 when it cannot read the file.
int ffprobe_frame_count(const std::string& path);
// Every frame decoded by ffmpeg as RGB of the given size.
std::vector<simhost::Image> ffmpeg_frames(const std::string& path, int width, int height);

struct ObjectRecordFields {
    std::int16_t columns = 0;
    std::int16_t rows = 0;
};
// The 'NAVG' item of the movie's user data.
std::optional<ObjectRecordFields> read_object_record(const std::string& path);
// The 'ctyp' item of the movie's user data as four characters.
std::optional<std::string> read_controller_type(const std::string& path);
