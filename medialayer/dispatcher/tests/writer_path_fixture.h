// The setting the writer's path is tested in: a scratch directory holding
// frames.mov, a frame movie of eight frames, and the FSSpec records the path
// takes for it, for the output object.mov and for the intermediate movie.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "qts_library.h"
#include "quicktime/qt_types.h"
#include "test_files.h"

namespace qts_test {

// What object.mov holds before the path writes it, where a test puts it there.
extern const std::vector<std::uint8_t> older_output;

class WriterPathTest : public ::testing::Test {
protected:
    static const std::vector<std::uint32_t> frame_durations;

    void SetUp() override;
    void TearDown() override;

    FSSpec spec_of(const std::string& name);
    // Whether object.mov is a whole self-contained movie of the frames.
    bool output_is_complete_movie();

    QtsLibrary& library = QtsLibrary::get();
    ScratchDir dir;
    FrameMovie frames;
    FSSpec source{}, output{}, intermediate{};
};

}  // namespace qts_test
