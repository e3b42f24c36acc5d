// A simulated host session running the real plug-in library, with an output
// directory and a temporary directory (TMPDIR) of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "capture/tests/temp_dir.h"
#include "simhost/host_objects/session.h"

// What the command must leave as it found it.
struct UserSetup {
    std::int32_t camera_index;
    simhost::Vec3d light;
    ImageSize image_size;
};

class CaptureSession : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Small frames keep hundreds of renders quick.
    simhost::SessionOptions small_capture(std::int32_t columns, std::int32_t rows) const;
    // Starts a session with these options and loads the plug-in.
    simhost::Session& start(simhost::SessionOptions options);
    simhost::CommandResult run() { return session_->run_command(); }
    simhost::Session& session() { return *session_; }

    UserSetup user_setup() const;
    // "interface.operation" of every call the plug-in made on the host, in order.
    std::vector<std::string> logged_operations() const;

    TempDir output_dir;
    TempDir temporary_dir;  // the plug-in's temporary directory
    std::string output_path;

private:
    std::unique_ptr<simhost::Session> session_;
    std::string saved_tmpdir_;
    bool had_tmpdir_ = false;
};

void expect_same_setup(const UserSetup& before, const UserSetup& after);
