// Running ffmpeg and ffprobe (from PATH) and reading what they report: an
// independent check of the files we write. Linux only; the Windows build
// has no ffmpeg to run, so there ffmpeg_available() is false.
#pragma once

#include <string>
#include <vector>

namespace medialayer::testing {

// Runs a shell command; returns its exit status and stdout.
int run_command(const std::string& command, std::string& output);

bool ffmpeg_available();

// A path quoted for the shell.
std::string shell_quoted(const std::string& path);

struct ProbedStream {
    std::string codec_type;  // "video", "audio", "data", ...
    std::string codec_name;
    int width = 0;
    int height = 0;
    int frames = 0;  // nb_read_frames
};
// Every stream ffprobe finds in a file.
std::vector<ProbedStream> probe_streams(const std::string& path);

struct ProbedPacket {
    long long size = 0;
    long long duration = 0;
    std::string hash;  // MD5 hex
    bool keyframe = false;
};
std::vector<ProbedPacket> probe_packets(const std::string& path);

// Per-frame MD5 of the decoded frames as rgb24, in order.
std::vector<std::string> decoded_frame_md5s(const std::string& input_args);

}  // namespace medialayer::testing
