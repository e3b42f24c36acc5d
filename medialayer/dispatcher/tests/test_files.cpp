#include "test_files.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>

#include "medialayer/movie_api.h"

namespace fs = std::filesystem;

namespace qts_test {

ScratchDir::ScratchDir() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (;;) {
        const fs::path candidate = base / ("qts-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path_ = candidate.string();
            break;
        }
    }
    path_ += char(fs::path::preferred_separator);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDir::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

FrameMovie make_frames(std::uint16_t width, std::uint16_t height, const std::vector<std::uint32_t>& durations) {
    FrameMovie movie{width, height, {}, durations};
    for (std::size_t n = 0; n < durations.size(); ++n) {
        std::vector<std::uint8_t> frame(std::size_t(width) * height * 3);
        for (std::size_t y = 0; y < height; ++y)
            for (std::size_t x = 0; x < width; ++x) {
                std::uint8_t* pixel = &frame[(y * width + x) * 3];
                pixel[0] = std::uint8_t(x * 4 + n * 17);
                pixel[1] = std::uint8_t(y * 5 + n * 29);
                pixel[2] = std::uint8_t((x ^ y) + n * 53);
            }
        movie.frames.push_back(std::move(frame));
    }
    return movie;
}

OSErr write_frame_movie(const std::string& path, const FrameMovie& movie) {
    medialayer::VideoFormat format;
    format.codec = medialayer::codec_raw;
    format.width = movie.width;
    format.height = movie.height;
    std::unique_ptr<medialayer::MovieWriter> writer;
    if (const OSErr err = medialayer::MovieWriter::create(path, 600, format, writer); err != noErr) return err;
    for (std::size_t n = 0; n < movie.frames.size(); ++n)
        if (const OSErr err = writer->append_sample(movie.frames[n].data(), movie.frames[n].size(), movie.durations[n]);
            err != noErr)
            return err;
    return writer->finish();
}

bool file_exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

std::vector<std::uint8_t> sample_record() {
    std::vector<std::uint8_t> record(48);
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = std::uint8_t(0xA0 + i * 3);
    return record;
}

}  // namespace qts_test
