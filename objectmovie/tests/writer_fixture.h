// Shared set-up of the tests that run the writer on real files through the
// real media layer: a frame movie in one folder, the output in another.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objectmovie/tests/media_layer_controls.h"
#include "objectmovie/tests/movie_fixtures.h"
#include "platform/tests/test_platform.h"

class WriterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(controls.bind()) << "the QuickTime stand-in library was not found";
        controls.fault_reset();
    }
    void TearDown() override {
        if (controls.fault_reset) controls.fault_reset();
    }

    // What an earlier run left at the output path.
    void write_older_output() { fixtures::write_file(output, older_output); }

    void expect_nothing_held() {
        const medialayer_live_counts counts = controls.live_counts();
        EXPECT_EQ(counts.movies, 0);
        EXPECT_EQ(counts.open_files, 0);
        EXPECT_EQ(counts.pointers, 0);
    }

    TestPlatform os;
    MediaLayerControls controls;
    fixtures::ScratchFolder temp_folder;
    fixtures::ScratchFolder output_folder;
    // As the capture names them: the frame movie takes the output's file name.
    const std::string frames = temp_folder.file("scene.mov");
    const std::string output = output_folder.file("scene.mov");
    const std::vector<std::uint8_t> older_output = {'o', 'l', 'd', ' ', 'm', 'o', 'v', 'i', 'e'};
};
