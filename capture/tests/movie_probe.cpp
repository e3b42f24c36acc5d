#include "capture/tests/movie_probe.h"

#include <cstdio>
#include <cstring>

#include "capture/tests/temp_dir.h"

namespace {

std::string run_and_read(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::uint32_t big32(const std::string& bytes, std::size_t at) {
    return (std::uint32_t(std::uint8_t(bytes[at])) << 24) | (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint32_t(std::uint8_t(bytes[at + 3]));
}

// The payload of the first atom along a path of container types, e.g. moov/udta/NAVG.
std::optional<std::string> atom_payload(const std::string& bytes, std::size_t begin, std::size_t end,
                                        const std::vector<std::string>& types, std::size_t depth = 0) {
    std::size_t at = begin;
    while (at + 8 <= end) {
        const std::uint32_t size = big32(bytes, at);
        if (size < 8 || size > end - at) return std::nullopt;
        if (bytes.compare(at + 4, 4, types[depth]) == 0) {
            if (depth + 1 == types.size()) return bytes.substr(at + 8, size - 8);
            return atom_payload(bytes, at + 8, at + size, types, depth + 1);
        }
        at += size;
    }
    return std::nullopt;
}

}  // namespace

int ffprobe_frame_count(const std::string& path) {
    const std::string out = run_and_read("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                         "stream=nb_read_frames -of default=noprint_wrappers=1:nokey=1 " +
                                         quoted(path) + " 2>/dev/null");
    try {
        return std::stoi(out);
    } catch (...) {
        return -1;
    }
}

std::vector<simhost::Image> ffmpeg_frames(const std::string& path, int width, int height) {
    const std::string raw = run_and_read("ffmpeg -v error -i " + quoted(path) +
                                         " -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
    const std::size_t frame_bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    std::vector<simhost::Image> frames;
    for (std::size_t at = 0; at + frame_bytes <= raw.size(); at += frame_bytes) {
        simhost::Image image(width, height);
        std::memcpy(image.rgb.data(), raw.data() + at, frame_bytes);
        frames.push_back(std::move(image));
    }
    return frames;
}

std::optional<ObjectRecordFields> read_object_record(const std::string& path) {
    const std::string bytes = read_file(path);
    const auto payload = atom_payload(bytes, 0, bytes.size(), {"moov", "udta", "NAVG"});
    if (!payload || payload->size() != 48) return std::nullopt;
    auto big16 = [&](std::size_t at) {
        return static_cast<std::int16_t>((std::uint8_t((*payload)[at]) << 8) | std::uint8_t((*payload)[at + 1]));
    };
    return ObjectRecordFields{big16(2), big16(4)};
}

std::optional<std::string> read_controller_type(const std::string& path) {
    const std::string bytes = read_file(path);
    const auto payload = atom_payload(bytes, 0, bytes.size(), {"moov", "udta", "ctyp"});
    if (!payload || payload->size() != 4) return std::nullopt;
    return *payload;
}
