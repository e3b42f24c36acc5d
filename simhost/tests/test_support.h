// Shared helpers for the simulated host's tests: scratch folders, running
// programs, and reading movies back with ffprobe and ffmpeg.
#pragma once

#include <string>
#include <vector>

#include "simhost/rendering/image.h"

namespace simhost::testing {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

struct ProcessResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};
// Runs a shell command line, capturing both output streams.
ProcessResult run_process(const std::string& command_line);
std::string quoted(const std::string& text);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

struct ProbedVideo {
    std::string codec;
    int width = 0;
    int height = 0;
    int frames = 0;
    double duration = 0;  // seconds
};
// The first video stream as ffprobe reads it (frames counted by decoding).
ProbedVideo probe_video(const std::string& path);
// Every frame ffmpeg decodes, as 8-bit RGB.
std::vector<Image> decode_video(const std::string& path, int width, int height);

// Largest and mean absolute channel difference of two same-sized images.
struct ImageDifference {
    int largest = 0;
    double mean = 0;
};
ImageDifference difference(const Image& a, const Image& b);

}  // namespace simhost::testing
