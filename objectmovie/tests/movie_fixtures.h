// Files for the writer's tests: scratch folders, frame movies made with the
// media layer's writer, and whole-file reads for byte comparisons.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "medialayer/movie_api.h"
#include "quicktime/qt_types.h"

namespace fixtures {

constexpr std::uint16_t frame_width = 16;
constexpr std::uint16_t frame_height = 12;
constexpr std::int32_t frame_time_scale = 600;

// A new empty folder under the system's temporary folder, removed with its
// contents when the object goes away.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const char* name) const { return (path_ / name).string(); }
    // Names of the files in the folder, sorted.
    std::vector<std::string> names() const;

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> read_file(const std::string& path);
void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes);

// 24-bit RGB pixels that differ for every frame index.
std::vector<std::uint8_t> frame_pixels(std::uint32_t index);

// A frame movie of `frames` raw frames, each `duration` units long.
medialayer::OSErr write_frame_movie(const std::string& path, std::uint32_t frames, std::uint32_t duration);

// Sets the current time stored in the movie header, the time the movie opens at.
bool set_current_time(const std::string& path, TimeValue time);

}  // namespace fixtures
