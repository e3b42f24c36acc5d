#include "ffmpeg_tools.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace medialayer::testing {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// "key=value" fields of a compact ffprobe line.
std::string field(const std::string& line, const std::string& key) {
    std::string needle = key + "=";
    std::size_t at = 0;
    while ((at = line.find(needle, at)) != std::string::npos) {
        if (at == 0 || line[at - 1] == '|') {
            std::size_t start = at + needle.size();
            return line.substr(start, line.find('|', start) - start);
        }
        at += needle.size();
    }
    return {};
}

}  // namespace

int run_command(const std::string& command, std::string& output) {
    output.clear();
#ifdef _WIN32
    (void)command;
    return -1;
#else
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

bool ffmpeg_available() {
    std::string out;
    return run_command("ffprobe -version >/dev/null 2>&1 && ffmpeg -version >/dev/null 2>&1 && echo ok", out) == 0 &&
           out.find("ok") != std::string::npos;
}

std::string shell_quoted(const std::string& path) {
    std::string q = "'";
    for (char c : path) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

std::vector<ProbedStream> probe_streams(const std::string& path) {
    std::string out;
    run_command("ffprobe -v error -count_frames -show_entries "
                "stream=codec_type,codec_name,width,height,nb_read_frames -of compact=p=0 " + shell_quoted(path),
                out);
    std::vector<ProbedStream> streams;
    for (const auto& line : lines(out)) {
        if (line.empty()) continue;
        ProbedStream s;
        s.codec_type = field(line, "codec_type");
        s.codec_name = field(line, "codec_name");
        s.width = std::atoi(field(line, "width").c_str());
        s.height = std::atoi(field(line, "height").c_str());
        s.frames = std::atoi(field(line, "nb_read_frames").c_str());
        streams.push_back(s);
    }
    return streams;
}

std::vector<ProbedPacket> probe_packets(const std::string& path) {
    std::string out;
    run_command("ffprobe -v error -select_streams v:0 -show_packets -show_data_hash MD5 -show_entries "
                "packet=size,duration,flags,data_hash -of compact=p=0 " + shell_quoted(path),
                out);
    std::vector<ProbedPacket> packets;
    for (const auto& line : lines(out)) {
        if (line.empty()) continue;
        ProbedPacket p;
        p.size = std::atoll(field(line, "size").c_str());
        p.duration = std::atoll(field(line, "duration").c_str());
        std::string hash = field(line, "data_hash");
        p.hash = hash.rfind("MD5:", 0) == 0 ? hash.substr(4) : hash;
        p.keyframe = field(line, "flags").find('K') != std::string::npos;
        packets.push_back(p);
    }
    return packets;
}

std::vector<std::string> decoded_frame_md5s(const std::string& input_args) {
    std::string out;
    run_command("ffmpeg -v error " + input_args + " -f framemd5 -pix_fmt rgb24 -", out);
    std::vector<std::string> hashes;
    for (const auto& line : lines(out)) {
        if (line.empty() || line[0] == '#') continue;
        std::size_t comma = line.rfind(',');
        if (comma == std::string::npos) continue;
        std::string h = line.substr(comma + 1);
        h.erase(0, h.find_first_not_of(' '));
        hashes.push_back(h);
    }
    return hashes;
}

}  // namespace medialayer::testing
