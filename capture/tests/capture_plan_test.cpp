// Deriving the capture settings from the dialog, and the grids refused.
#include <gtest/gtest.h>

#include <cmath>

#include "capture/capture_plan.h"

namespace {

DialogValues entered(std::int32_t columns, std::int32_t rows, bool upper = false) {
    DialogValues values{};
    values.columns = columns;
    values.rows = rows;
    values.upper_hemisphere_only = upper;
    values.parallax = 4.0f;
    return values;
}

TEST(RowsToCapture, UpperHemisphereKeepsHalfRoundedUp) {
    struct Case {
        std::int32_t entered;
        bool upper;
        std::int32_t captured;
    } cases[] = {{13, false, 13}, {13, true, 7}, {12, true, 6}, {1, true, 1}, {2, true, 1}, {3, true, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(rows_to_capture(c.entered, c.upper), c.captured) << c.entered << (c.upper ? " upper" : "");
}

TEST(GridIsAcceptable, RefusesEmptyAndOversizedGrids) {
    struct Case {
        DialogValues values;
        bool accepted;
    } cases[] = {
        {entered(24, 13), true},
        {entered(1, 1), true},          // a single ring of one view
        {entered(0, 13), false},
        {entered(-3, 13), false},
        {entered(24, 0), false},
        {entered(24, -1), false},
        {entered(32767, 32767), true},  // the largest grid the object record holds
        {entered(32768, 1), false},
        {entered(1, 32768), false},
        {entered(1, 65534, true), true},  // halved to 32767
        {entered(1, 65535, true), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(grid_is_acceptable(c.values), c.accepted) << c.values.columns << " x " << c.values.rows;
}

TEST(ApplyDialogValues, DefaultsGiveFifteenDegreeSteps) {
    CaptureSettings settings;
    DialogValues values = entered(24, 13);
    values.stereo = true;
    values.stereo_method = 1;
    values.light_follows = true;
    apply_dialog_values(values, settings);
    EXPECT_EQ(settings.columns, 24);
    EXPECT_EQ(settings.rows, 13);
    EXPECT_EQ(settings.column_step, 15.0f);
    EXPECT_EQ(settings.row_step, 15.0f);
    EXPECT_EQ(settings.total_frames, 312);
    EXPECT_EQ(settings.half_parallax, 2.0f);
    EXPECT_TRUE(settings.stereo);
    EXPECT_EQ(settings.stereo_method, 1);
    EXPECT_TRUE(settings.light_follows);
}

TEST(ApplyDialogValues, RowStepComesFromTheRowsAsEntered) {
    CaptureSettings settings;
    apply_dialog_values(entered(24, 13, true), settings);
    EXPECT_EQ(settings.rows, 7);
    EXPECT_EQ(settings.row_step, 15.0f);
    EXPECT_EQ(settings.total_frames, 7 * 24);

    apply_dialog_values(entered(10, 12, true), settings);
    EXPECT_EQ(settings.rows, 6);
    EXPECT_EQ(settings.row_step, static_cast<float>(180.0 / 11.0));
    EXPECT_EQ(settings.column_step, 36.0f);
}

TEST(ApplyDialogValues, OneRowIsARingThatIsNeverTilted) {
    CaptureSettings settings;
    apply_dialog_values(entered(24, 1), settings);
    EXPECT_EQ(settings.row_step, 0.0f);
    EXPECT_TRUE(std::isfinite(settings.column_step));
    EXPECT_EQ(settings.total_frames, 24);
}

TEST(ApplyDialogValues, LeavesTheRunningCountersAlone) {
    CaptureSettings settings;
    settings.frames_done = 5;
    settings.row_angle = 30.0f;
    apply_dialog_values(entered(24, 13), settings);
    EXPECT_EQ(settings.frames_done, 5);
    EXPECT_EQ(settings.row_angle, 30.0f);
}

}  // namespace
