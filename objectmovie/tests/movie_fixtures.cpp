#include "objectmovie/tests/movie_fixtures.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>

#include "objectmovie/big_endian.h"
#include "medialayer/tests/atom_walk.h"

namespace fixtures {

namespace fs = std::filesystem;
using namespace atom_walk;

ScratchFolder::ScratchFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        path_ = fs::temp_directory_path() /
                ("orbivane-objectmovie-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        if (fs::create_directory(path_)) break;
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<std::string> ScratchFolder::names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> frame_pixels(std::uint32_t index) {
    std::vector<std::uint8_t> pixels(std::size_t(frame_width) * frame_height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<std::uint8_t>(index * 37 + i * 11 + (index >> 3) * (i % 7));
    }
    return pixels;
}

medialayer::OSErr write_frame_movie(const std::string& path, std::uint32_t frames, std::uint32_t duration) {
    medialayer::VideoFormat format;
    format.codec = medialayer::codec_raw;
    format.width = frame_width;
    format.height = frame_height;
    format.depth = 24;
    std::unique_ptr<medialayer::MovieWriter> writer;
    medialayer::OSErr status = medialayer::MovieWriter::create(path, frame_time_scale, format, writer);
    if (status != 0) return status;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const std::vector<std::uint8_t> pixels = frame_pixels(i);
        status = writer->append_sample(pixels.data(), pixels.size(), duration);
        if (status != 0) return status;
    }
    return writer->finish();
}

bool set_current_time(const std::string& path, TimeValue time) {
    std::vector<std::uint8_t> bytes = read_file(path);
    const auto top = atoms_in(bytes, 0, bytes.size());
    const AtomSpan* moov = find_atom(top, "moov");
    if (!moov) return false;
    const auto inside = atoms_in(bytes, *moov);
    const AtomSpan* mvhd = find_atom(inside, "mvhd");
    // Version 0 header: the current time follows 92 bytes of earlier fields.
    constexpr std::uint64_t current_time_offset = 92;
    if (!mvhd || bytes[mvhd->payload] != 0 || mvhd->end - mvhd->payload < current_time_offset + 4) return false;
    big_endian::put_i32(&bytes[mvhd->payload + current_time_offset], time);
    write_file(path, bytes);
    return true;
}

}  // namespace fixtures
