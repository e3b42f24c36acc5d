// The object record's bytes and the initial view it states.
#include <gtest/gtest.h>

#include "objectmovie/navg_record.h"
#include "objectmovie/tests/record_cases.h"
#include "objectmovie/view_angles.h"

namespace {

class RecordBytes : public testing::TestWithParam<RecordCase> {};

TEST_P(RecordBytes, AreTheStatedFortyEightBytes) {
    const RecordCase& c = GetParam();
    const NavgRecord record = object_record(c.columns, c.rows, c.sample_duration, c.view_time);
    EXPECT_EQ(record.bytes(), c.bytes);

    NavgRecord parsed;
    ASSERT_TRUE(NavgRecord::parse(c.bytes.data(), c.bytes.size(), parsed));
    EXPECT_EQ(parsed, record);
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordBytes, testing::ValuesIn(record_cases),
                         [](const testing::TestParamInfo<RecordCase>& info) { return info.param.name; });

TEST(NavgRecordParse, RefusesAnyOtherLength) {
    const auto bytes = record_cases[0].bytes;
    NavgRecord untouched;
    untouched.columns = 7;
    NavgRecord out = untouched;
    EXPECT_FALSE(NavgRecord::parse(bytes.data(), 47, out));
    EXPECT_FALSE(NavgRecord::parse(bytes.data(), 0, out));
    EXPECT_FALSE(NavgRecord::parse(nullptr, 48, out));
    EXPECT_EQ(out, untouched);
}

TEST(DegreesToFixed, TruncatesTowardZeroOnBothSides) {
    EXPECT_EQ(degrees_to_fixed(80.833336f), 0x0050D555);   // 5297493.4 -> 5297493
    EXPECT_EQ(degrees_to_fixed(-0.1f), -6553);             // -6553.6 -> -6553, not -6554
    EXPECT_EQ(degrees_to_fixed(-20.0f), Fixed(0xFFEC0000u));
    EXPECT_EQ(degrees_to_fixed(1.0e6f), 0x7FFFFFFF);       // beyond 16.16: saturates
    EXPECT_EQ(degrees_to_fixed(-1.0e6f), Fixed(0x80000000u));
}

struct ViewCase {
    const char* name;
    TimeValue time;
    std::int16_t columns;
    std::int16_t rows;
    float end_pan;
    float pan;
    float tilt;
};

// Frames of 60 units, one frame per view, pan from 0, tilt 90 down to -20.
const ViewCase view_cases[] = {
    {"first_frame", 0, 24, 13, 360.0f, 0.0f, 90.0f},
    {"time_between_frames_counts_as_the_frame_below", 1559, 24, 13, 360.0f, 15.0f, 80.833336f},
    {"past_the_last_frame_keeps_tilting", 18720, 24, 13, 360.0f, 0.0f, -29.166666f},
    {"partial_range_ends_on_the_end_pan", 4 * 60, 5, 1, 180.0f, 180.0f, 90.0f},
    {"full_turn_stops_a_step_short", 4 * 60, 5, 1, 360.0f, 288.0f, 90.0f},
    {"single_row_stays_at_the_start_tilt", 3 * 60, 4, 1, 360.0f, 270.0f, 90.0f},
    {"single_column_stays_at_the_start_pan", 5 * 60, 1, 6, 360.0f, 0.0f, -20.0f},
    {"single_column_of_a_half_turn_stays_at_the_start_pan", 5 * 60, 1, 6, 180.0f, 0.0f, -20.0f},
    // Frame -1: row 0, column -1 (the remainder keeps the sign), one step before the start pan.
    {"negative_time_counts_back_from_the_start_pan", -60, 24, 13, 360.0f, -15.0f, 90.0f},
};

class ViewAngles : public testing::TestWithParam<ViewCase> {};

TEST_P(ViewAngles, FollowTheRowMajorFrameOrder) {
    const ViewCase& c = GetParam();
    float pan = -1.0f;
    float tilt = -1.0f;
    ASSERT_EQ(view_angles_at_time(c.time, 60, c.columns, c.rows, 1, 0.0f, c.end_pan, 90.0f, -20.0f, &pan, &tilt),
              noErr);
    EXPECT_FLOAT_EQ(pan, c.pan);
    EXPECT_FLOAT_EQ(tilt, c.tilt);
}

INSTANTIATE_TEST_SUITE_P(Cases, ViewAngles, testing::ValuesIn(view_cases),
                         [](const testing::TestParamInfo<ViewCase>& info) { return std::string(info.param.name); });

TEST(ViewAnglesRefuses, DivisorsOfZeroAndLeavesTheOutputs) {
    float pan = 7.0f;
    float tilt = 8.0f;
    EXPECT_EQ(view_angles_at_time(0, 60, 0, 13, 1, 0.0f, 360.0f, 90.0f, -20.0f, &pan, &tilt), paramErr);
    EXPECT_EQ(view_angles_at_time(0, 0, 24, 13, 1, 0.0f, 360.0f, 90.0f, -20.0f, &pan, &tilt), paramErr);
    EXPECT_EQ(view_angles_at_time(0, 60, 24, 13, 0, 0.0f, 360.0f, 90.0f, -20.0f, &pan, &tilt), paramErr);
    EXPECT_EQ(pan, 7.0f);
    EXPECT_EQ(tilt, 8.0f);
}

}  // namespace
