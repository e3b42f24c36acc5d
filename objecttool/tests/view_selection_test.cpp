// select: the new movie is read by FFmpeg, its packets are the chosen frames
// byte for byte in the chosen order, and its record describes the new grid.
#include <gtest/gtest.h>

#include "ffmpeg_tools.h"
#include "object_movies.h"
#include "objecttool/object_movie.h"
#include "objecttool/tool_error.h"
#include "objecttool/view_selection.h"
#include "test_files.h"

namespace objecttool {
namespace {

using namespace objecttool::testing;
using medialayer::testing::ScratchDir;

TEST(ViewSelection, ParsesNumbersAndRangesInTheOrderGiven) {
    EXPECT_EQ(parse_view_numbers("2"), (std::vector<int>{2}));
    EXPECT_EQ(parse_view_numbers("11-12,1-2,5"), (std::vector<int>{11, 12, 1, 2, 5}));
    for (const char* bad : {"", "2,", "a", "3-1", "1-2-3", " 1", "1..3"})
        EXPECT_FALSE(parse_view_numbers(bad)) << bad;
}

TEST(ViewSelection, CopiesTheChosenFramesAndStatesTheNewGrid) {
    if (!medialayer::testing::ffmpeg_available()) GTEST_SKIP() << "ffprobe is not installed";
    ScratchDir dir("objecttool-select");
    const std::string source = dir.file("capture.mov");
    // 6 columns of 60 degrees, 3 rows at 90, 35 and -20 degrees.
    write_object_movie(source, {.columns = 6, .rows = 3, .jpeg = true});
    const auto source_packets = medialayer::testing::probe_packets(source);
    ASSERT_EQ(source_packets.size(), 18u);

    struct Case {
        const char* name;
        std::vector<int> columns, rows;
        std::vector<int> frames;  // source frames expected, from 0
        double start_pan, end_pan, start_tilt, end_tilt;
    } cases[] = {
        {"the middle row, a whole turn", {}, {2}, {6, 7, 8, 9, 10, 11}, 0, 360, 35, 35},
        {"every other column of two rows", {2, 4, 6}, {1, 3}, {1, 3, 5, 13, 15, 17}, 60, 420, 90, -20},
        {"an arc across the first column", {6, 1, 2}, {3}, {17, 12, 13}, 300, 420, -20, -20},
        {"one view", {3}, {1}, {2}, 120, 120, 90, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = dir.file("chosen.mov");
        write_view_selection(source, out, {c.columns, c.rows});

        const auto streams = medialayer::testing::probe_streams(out);
        ASSERT_EQ(streams.size(), 1u);
        EXPECT_EQ(streams[0].codec_name, "mjpeg");
        EXPECT_EQ(streams[0].frames, int(c.frames.size()));
        const auto packets = medialayer::testing::probe_packets(out);
        ASSERT_EQ(packets.size(), c.frames.size());
        for (std::size_t i = 0; i < packets.size(); ++i) {
            EXPECT_EQ(packets[i].hash, source_packets[std::size_t(c.frames[i])].hash) << "frame " << i;
            EXPECT_EQ(packets[i].size, source_packets[std::size_t(c.frames[i])].size) << "frame " << i;
        }

        ObjectMovie chosen(out);
        ASSERT_TRUE(chosen.record());
        const ObjectRecord& r = *chosen.record();
        const int columns = c.columns.empty() ? 6 : int(c.columns.size());
        EXPECT_EQ(r.columns, columns);
        EXPECT_EQ(r.rows, int(c.rows.size()));
        EXPECT_EQ(r.frames_per_view, 1);
        EXPECT_DOUBLE_EQ(r.start_pan, c.start_pan);
        EXPECT_DOUBLE_EQ(r.end_pan, c.end_pan);
        EXPECT_DOUBLE_EQ(r.start_tilt, c.start_tilt);
        EXPECT_DOUBLE_EQ(r.end_tilt, c.end_tilt);
        EXPECT_EQ(chosen.controller_type(), std::optional<std::uint32_t>(0x73746E61));  // 'stna'
        std::remove(out.c_str());
    }
}

TEST(ViewSelection, KeepsTheInitialViewWhereItWasChosen) {
    ScratchDir dir("objecttool-select-initial");
    const std::string source = dir.file("capture.mov"), out = dir.file("ring.mov");
    write_object_movie(source, {.columns = 6, .rows = 3, .initial_pan = 180, .initial_tilt = 35});
    write_view_selection(source, out, {{}, {2, 3}});
    ObjectMovie chosen(out);
    ASSERT_TRUE(chosen.record());
    // The source opens on column 4, row 2 (pan 180, tilt 35): row 1 of the new grid.
    EXPECT_EQ(chosen.record()->initial_column(), 3);
    EXPECT_EQ(chosen.record()->initial_row(), 0);
    medialayer::MovieReader& reader = chosen.reader();
    EXPECT_EQ(reader.poster_time(), 3 * 60);
    EXPECT_EQ(reader.current_time(), 3 * 60);
}

TEST(ViewSelection, RefusesWhatTheGridCannotHoldAndWritesNothing) {
    ScratchDir dir("objecttool-select-refused");
    const std::string source = dir.file("capture.mov"), out = dir.file("chosen.mov");
    write_object_movie(source, {.columns = 6, .rows = 3});
    const SelectOptions refused[] = {
        {{1, 2, 4}, {}},     // uneven steps
        {{}, {3, 2}},        // falling rows
        {{}, {4}},           // past the grid
        {{0}, {}},           // numbered from 1
        {{1, 1}, {}},        // the same column twice
        {{1, 4, 1}, {}},     // round the turn and back to the first
        {{}, {1, 2, 3, 1}},  // more rows than the movie has
    };
    for (const SelectOptions& options : refused) EXPECT_THROW(write_view_selection(source, out, options), tool_error);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"capture.mov"}));
}

}  // namespace
}  // namespace objecttool
