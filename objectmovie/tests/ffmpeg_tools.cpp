#include "objectmovie/tests/ffmpeg_tools.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace ffmpeg_tools {

namespace {

std::vector<std::string> output_lines(const std::string& command) {
    std::vector<std::string> lines;
#ifdef _WIN32
    (void)command;
#else
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return lines;
    std::string text;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    pclose(pipe);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
#endif
    return lines;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

bool available() {
#ifdef _WIN32
    return false;
#else
    return std::system("ffprobe -version >/dev/null 2>&1 && ffmpeg -version >/dev/null 2>&1") == 0;
#endif
}

std::vector<std::string> streams(const std::string& path) {
    return output_lines("ffprobe -v error -count_frames -show_entries stream=codec_type,nb_read_frames -of csv=p=0 " +
                        quoted(path));
}

std::vector<std::string> frame_hashes(const std::string& path) {
    std::vector<std::string> hashes;
    for (const std::string& line : output_lines("ffmpeg -v error -i " + quoted(path) + " -map 0:v:0 -f framemd5 -")) {
        if (line[0] == '#') continue;
        const auto comma = line.rfind(',');
        if (comma == std::string::npos) continue;
        const auto start = line.find_first_not_of(' ', comma + 1);
        hashes.push_back(line.substr(start == std::string::npos ? comma + 1 : start));
    }
    return hashes;
}

}  // namespace ffmpeg_tools
