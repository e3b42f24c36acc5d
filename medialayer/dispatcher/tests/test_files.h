// Files for the dispatcher tests: a scratch directory, frame movies written
// with the core's MovieWriter, and plain byte-level looks at what was written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "medialayer/tests/test_files.h"
#include "quicktime/qt_types.h"

namespace qts_test {

// A fresh directory, removed with everything in it at the end of the test.
// Its path ends in the platform's separator.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> entries() const;

private:
    std::string path_;
};

struct FrameMovie {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::vector<std::vector<std::uint8_t>> frames;  // 24-bit RGB, rows top to bottom
    std::vector<std::uint32_t> durations;           // time scale 600
};

// Distinct frames of a moving gradient, `durations.size()` of them.
FrameMovie make_frames(std::uint16_t width, std::uint16_t height, const std::vector<std::uint32_t>& durations);
// Writes the frames as a 'raw ' movie; the MovieWriter's error code.
OSErr write_frame_movie(const std::string& path, const FrameMovie& movie);

bool file_exists(const std::string& path);
// Bytes and atoms as the media layer's tests read them.
using medialayer::testing::read_bytes;
using medialayer::testing::top_level_atoms;
using medialayer::testing::write_bytes;

// A 48-byte item payload with a recognisable pattern.
std::vector<std::uint8_t> sample_record();

}  // namespace qts_test
