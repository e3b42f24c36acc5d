#include "test_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace medialayer::testing {

ScratchDir::ScratchDir(const std::string& name) {
    auto base = std::filesystem::temp_directory_path();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string unique = "medialayer-" + name + "-" + (info ? std::string(info->name()) : std::string("x"));
    for (char& c : unique)
        if (c == '/' || c == '\\') c = '_';
    path_ = base / unique;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> ScratchDir::entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::uint8_t> test_frame(std::uint16_t width, std::uint16_t height, int index) {
    std::vector<std::uint8_t> rgb(std::size_t(width) * height * 3);
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x) {
            std::uint8_t* p = &rgb[(y * width + x) * 3];
            p[0] = std::uint8_t(x * 5 + index * 40);
            p[1] = std::uint8_t(y * 7 + index * 13);
            p[2] = std::uint8_t((x ^ y) + index * 71);
        }
    return rgb;
}

WrittenMovie write_raw_movie(const std::string& path, std::uint16_t width, std::uint16_t height, int count,
                             std::uint32_t duration) {
    WrittenMovie movie;
    std::unique_ptr<MovieWriter> writer;
    VideoFormat format;
    format.codec = codec_raw;
    format.width = width;
    format.height = height;
    EXPECT_EQ(MovieWriter::create(path, 600, format, writer), 0);
    if (!writer) return movie;
    for (int i = 0; i < count; ++i) {
        movie.frames.push_back(test_frame(width, height, i));
        movie.durations.push_back(duration + std::uint32_t(i % 3));
        EXPECT_EQ(writer->append_sample(movie.frames.back().data(), movie.frames.back().size(), movie.durations.back()), 0);
    }
    EXPECT_EQ(writer->finish(), 0);
    return movie;
}

std::vector<std::string> top_level_atoms(const std::string& path) {
    return atom_walk::types_of(atom_walk::atoms_in(read_bytes(path)));
}

std::string fourcc_text(std::uint32_t type) {
    std::string s(4, ' ');
    for (int i = 0; i < 4; ++i) s[i] = char(type >> (24 - 8 * i));
    return s;
}

}  // namespace medialayer::testing
