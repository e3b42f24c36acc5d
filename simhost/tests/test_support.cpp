#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace simhost::testing {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "simhost-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

ProcessResult run_process(const std::string& command_line) {
    TempFolder scratch;
    const std::string out = scratch.file("out"), err = scratch.file("err");
    const int status = std::system((command_line + " >" + quoted(out) + " 2>" + quoted(err)).c_str());
    ProcessResult result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = read_file(out);
    result.err = read_file(err);
    return result;
}

ProbedVideo probe_video(const std::string& path) {
    const ProcessResult r = run_process(
        "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
        "stream=codec_name,width,height,nb_read_frames:format=duration -of default=noprint_wrappers=1 " +
        quoted(path));
    ProbedVideo video;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "codec_name") video.codec = value;
        else if (key == "width") video.width = std::atoi(value.c_str());
        else if (key == "height") video.height = std::atoi(value.c_str());
        else if (key == "nb_read_frames") video.frames = std::atoi(value.c_str());
        else if (key == "duration") video.duration = std::atof(value.c_str());
    }
    return video;
}

std::vector<Image> decode_video(const std::string& path, int width, int height) {
    TempFolder scratch;
    const std::string raw = scratch.file("frames.rgb");
    run_process("ffmpeg -v error -i " + quoted(path) + " -f rawvideo -pix_fmt rgb24 " + quoted(raw));
    const std::string bytes = read_file(raw);
    const std::size_t frame_bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    std::vector<Image> frames;
    for (std::size_t at = 0; frame_bytes && at + frame_bytes <= bytes.size(); at += frame_bytes) {
        Image image(width, height);
        image.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         bytes.begin() + static_cast<std::ptrdiff_t>(at + frame_bytes));
        frames.push_back(std::move(image));
    }
    return frames;
}

ImageDifference difference(const Image& a, const Image& b) {
    ImageDifference d;
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return {255, 255};
    double total = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) {
        const int delta = std::abs(int(a.rgb[i]) - int(b.rgb[i]));
        d.largest = std::max(d.largest, delta);
        total += delta;
    }
    d.mean = total / static_cast<double>(a.rgb.size());
    return d;
}

}  // namespace simhost::testing
