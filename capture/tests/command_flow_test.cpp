// Ways a command ends before anything is captured: cancels and refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "capture/tests/capture_session.h"

namespace {

class CommandFlow : public CaptureSession {
protected:
    bool called(const std::string& operation) const {
        const auto operations = logged_operations();
        return std::find(operations.begin(), operations.end(), operation) != operations.end();
    }
    // Nothing of the scene touched, nothing recorded, no file anywhere.
    void expect_nothing_built(const simhost::CommandResult& result) {
        EXPECT_TRUE(result.ok()) << result.exception << result.audit.text();
        EXPECT_FALSE(called("scene.begin_preparation"));
        EXPECT_TRUE(session().progress().empty());
        EXPECT_EQ(result.frames_recorded, 0);
        EXPECT_TRUE(output_dir.entries().empty());
        EXPECT_TRUE(temporary_dir.entries().empty());
        EXPECT_EQ(logged_operations().back(), "dialog.Release");
    }
};

TEST_F(CommandFlow, DialogCancelAsksNothingMore) {
    simhost::SessionOptions options = small_capture(2, 2);
    options.dialog.confirm = false;
    start(std::move(options));
    const simhost::CommandResult result = run();
    expect_nothing_built(result);
    EXPECT_FALSE(called("window.save_dialog"));
    EXPECT_FALSE(called("dialog.read_integer"));
    EXPECT_TRUE(session().windowing().beeps().empty());
}

TEST_F(CommandFlow, SaveCancelBuildsNothing) {
    simhost::SessionOptions options = small_capture(2, 2);
    options.save_path.reset();
    start(std::move(options));
    const simhost::CommandResult result = run();
    expect_nothing_built(result);
    EXPECT_TRUE(called("window.save_dialog"));
    EXPECT_TRUE(session().windowing().beeps().empty());
}

TEST_F(CommandFlow, GridsThatCannotBeCapturedAreRefusedBeforeTheSaveDialog) {
    struct Case {
        std::int32_t columns, rows;
    } cases[] = {{0, 13}, {-1, 13}, {24, 0}, {24, -5}, {40000, 1}, {1, 40000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + " x " + std::to_string(c.rows));
        start(small_capture(c.columns, c.rows));
        const simhost::CommandResult result = run();
        expect_nothing_built(result);
        EXPECT_FALSE(called("window.save_dialog"));
        EXPECT_EQ(session().windowing().beeps().size(), 1u);
    }
}

TEST_F(CommandFlow, ATemporaryPathTooLongIsRefused) {
    // The directory plus "vase.mov" needs 261 bytes with its zero.
    const std::string directory = "/" + std::string(250, 'd') + "/";
    setenv("TMPDIR", directory.c_str(), 1);
    start(small_capture(2, 2));
    const simhost::CommandResult result = run();
    expect_nothing_built(result);
    EXPECT_TRUE(called("window.save_dialog"));
    EXPECT_EQ(session().windowing().beeps().size(), 1u);
}

}  // namespace
