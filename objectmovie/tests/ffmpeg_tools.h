// What ffmpeg's own reader makes of a movie: an independent check of the
// files the writer produces. Needs ffprobe and ffmpeg on the PATH.
#pragma once

#include <string>
#include <vector>

namespace ffmpeg_tools {

bool available();

// One "codec_type,frames_read" entry per stream, e.g. "video,312".
std::vector<std::string> streams(const std::string& path);

// MD5 of every decoded frame of the first video stream, in order.
std::vector<std::string> frame_hashes(const std::string& path);

}  // namespace ffmpeg_tools
