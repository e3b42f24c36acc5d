// Files and small movies the media layer tests share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "atom_walk.h"
#include "medialayer/movie_api.h"

namespace medialayer::testing {

// A fresh empty directory for one test, removed by the destructor.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// An RGB frame whose pixels depend on `index`, so frames differ.
std::vector<std::uint8_t> test_frame(std::uint16_t width, std::uint16_t height, int index);

struct WrittenMovie {
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<std::uint32_t> durations;
};

// Writes a 'raw ' movie of `count` frames with MovieWriter (time scale 600);
// fails the calling test on error.
WrittenMovie write_raw_movie(const std::string& path, std::uint16_t width, std::uint16_t height, int count,
                             std::uint32_t duration = 60);

// Top-level atom types of a file in order.
std::vector<std::string> top_level_atoms(const std::string& path);

std::string fourcc_text(std::uint32_t type);

// The atom walk of atom_walk.h, independent of the layer's parser.
using atom_walk::find_atom;
using atom_walk::get32;
using atom_walk::put32;

}  // namespace medialayer::testing
