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
    std::vector<std::string> types;
    auto bytes = read_bytes(path);
    std::size_t pos = 0;
    while (bytes.size() - pos >= 8) {
        std::uint64_t size = (std::uint64_t(bytes[pos]) << 24) | (bytes[pos + 1] << 16) | (bytes[pos + 2] << 8) | bytes[pos + 3];
        types.emplace_back(reinterpret_cast<const char*>(&bytes[pos + 4]), 4);
        if (size == 1) {
            size = 0;
            for (int i = 0; i < 8; ++i) size = (size << 8) | bytes[pos + 8 + i];
        }
        if (size < 8 || size > bytes.size() - pos) break;
        pos += std::size_t(size);
    }
    return types;
}

std::string fourcc_text(std::uint32_t type) {
    std::string s(4, ' ');
    for (int i = 0; i < 4; ++i) s[i] = char(type >> (24 - 8 * i));
    return s;
}

std::uint32_t get32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (std::uint32_t(bytes.at(at)) << 24) | (std::uint32_t(bytes.at(at + 1)) << 16) |
           (std::uint32_t(bytes.at(at + 2)) << 8) | bytes.at(at + 3);
}

void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = std::uint8_t(value >> (24 - 8 * i));
}

std::size_t find_atom(const std::vector<std::uint8_t>& bytes, const std::vector<std::string>& path) {
    std::size_t begin = 0, end = bytes.size(), found = std::string::npos;
    for (const auto& type : path) {
        found = std::string::npos;
        for (std::size_t pos = begin; end - pos >= 8;) {
            std::size_t size = get32(bytes, pos);
            if (size < 8 || size > end - pos) return std::string::npos;
            if (std::string(reinterpret_cast<const char*>(&bytes[pos + 4]), 4) == type) {
                found = pos;
                break;
            }
            pos += size;
        }
        if (found == std::string::npos) return found;
        begin = found + 8;
        end = found + get32(bytes, found);
    }
    return found;
}

}  // namespace medialayer::testing
