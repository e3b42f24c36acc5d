// The progress text, its remaining-time estimate, the window it goes to, and the user's abort.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "capture/capture_settings.h"
#include "capture/progress.h"
#include "capture/tests/scripted_shell.h"

namespace {

TEST(RemainingSeconds, AverageTimePerFrameTimesFramesLeft) {
    struct Case {
        double elapsed;
        std::int32_t done, total, remaining;
    } cases[] = {
        {3.0, 1, 312, 933},       // 3 / 1 x 311
        {10.0, 3, 7, 13},         // 13.33 truncated
        {0.0, 1, 312, 0},
        {5.0, 7, 7, 0},           // finished
        {5.0, 0, 7, 0},           // nothing done yet: no estimate
        {1e9, 1, 1000000, INT_MAX},  // too long to say: held at the largest value
    };
    for (const Case& c : cases)
        EXPECT_EQ(remaining_seconds(c.elapsed, c.done, c.total), c.remaining) << c.elapsed << " " << c.done;
}

TEST(FormatProgressText, TwoBlanksAfterTheWordAndEveryNumberFits) {
    char text[progress_text_size];
    format_progress_text(text, 1, 312, 933);
    EXPECT_STREQ(text, "progress  1/312 (remain 933 sec)");

    format_progress_text(text, INT_MIN, INT_MIN, INT_MIN);
    EXPECT_STREQ(text, "progress  -2147483648/-2147483648 (remain -2147483648 sec)");
}

// A progress object that counts advances and raises the host's abort on request.
struct ScriptedProgress : host_progress {
    int advances = 0;
    int abort_on = 0;  // 1-based advance that throws; 0 never
    HRESULT ORB_STDCALL QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG ORB_STDCALL AddRef() override { return 1; }
    ULONG ORB_STDCALL Release() override { return 1; }
    void set_range(std::int32_t, std::int32_t, host_reserved) override {}
    void set_position(std::int32_t, host_reserved) override {}
    void advance(std::int32_t step, host_reserved) override {
        EXPECT_EQ(step, 1);
        if (++advances == abort_on) throw 0;
    }
};

class UpdateProgress : public ::testing::Test {
protected:
    void SetUp() override {
        progress_window = nullptr;
        capture_settings.total_frames = 312;
        capture_settings.frames_done = 0;
        capture_settings.start_time = std::time(nullptr);
    }
    ScriptedShell os;
    ScriptedProgress progress;
    int window_a = 0, window_b = 0;
};

TEST_F(UpdateProgress, WritesTheTextOnceTheWindowShowsAndKeepsItsHandle) {
    capture_settings.frames_done = 1;
    EXPECT_TRUE(update_progress(progress));  // no window yet: skipped
    EXPECT_TRUE(os.window_texts.empty());

    os.window_titled_progress = &window_a;
    os.live_windows.insert(&window_a);
    capture_settings.frames_done = 2;
    EXPECT_TRUE(update_progress(progress));
    // Rewritten, the window is no longer titled "progress"; the cached handle still finds it.
    os.window_titled_progress = nullptr;
    capture_settings.frames_done = 3;
    EXPECT_TRUE(update_progress(progress));

    ASSERT_EQ(os.window_texts.size(), 2u);
    EXPECT_EQ(os.window_texts[0].first, &window_a);
    EXPECT_EQ(os.window_texts[1].first, &window_a);
    EXPECT_EQ(os.window_texts[1].second.rfind("progress  3/312 (remain ", 0), 0u) << os.window_texts[1].second;
    EXPECT_EQ(os.find_window_calls, 2);
    EXPECT_EQ(progress.advances, 3);
}

TEST_F(UpdateProgress, DropsAHandleWhoseWindowIsGone) {
    progress_window = &window_a;  // left by an earlier command; that window has closed
    os.window_titled_progress = &window_b;
    os.live_windows.insert(&window_b);
    capture_settings.frames_done = 1;
    EXPECT_TRUE(update_progress(progress));
    ASSERT_EQ(os.window_texts.size(), 1u);
    EXPECT_EQ(os.window_texts[0].first, &window_b);
    EXPECT_EQ(progress_window, &window_b);
}

TEST_F(UpdateProgress, AnAbortFromTheHostAnswersFalse) {
    os.window_titled_progress = &window_a;
    os.live_windows.insert(&window_a);
    progress.abort_on = 2;
    EXPECT_TRUE(update_progress(progress));
    EXPECT_FALSE(update_progress(progress));
    EXPECT_EQ(os.window_texts.size(), 1u);  // no text after the abort
}

}  // namespace
