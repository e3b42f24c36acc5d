#include "capture/tests/capture_session.h"

#include <cstdlib>

void CaptureSession::SetUp() {
    if (const char* previous = std::getenv("TMPDIR")) {
        had_tmpdir_ = true;
        saved_tmpdir_ = previous;
    }
    setenv("TMPDIR", temporary_dir.path().c_str(), 1);
    output_path = output_dir.file("vase.mov");
}

void CaptureSession::TearDown() {
    session_.reset();
    if (had_tmpdir_)
        setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

simhost::SessionOptions CaptureSession::small_capture(std::int32_t columns, std::int32_t rows) const {
    simhost::SessionOptions options;
    options.image_size = {64, 48};
    options.codec = simhost::FrameCodec::raw;
    options.save_path = output_path;
    options.dialog.columns = columns;
    options.dialog.rows = rows;
    return options;
}

simhost::Session& CaptureSession::start(simhost::SessionOptions options) {
    session_ = std::make_unique<simhost::Session>(std::move(options));
    session_->load_plugin(ORBIVANE_TEST_PLUGIN_PATH);
    return *session_;
}

UserSetup CaptureSession::user_setup() const {
    const simhost::Scene& scene = session_->scene();
    return {scene.current_camera_index(), scene.light, session_->image_size()};
}

std::vector<std::string> CaptureSession::logged_operations() const {
    std::vector<std::string> operations;
    for (const simhost::CallRecord& record : session_->calls().records())
        if (record.interface_name != "plugin") operations.push_back(record.interface_name + "." + record.operation);
    return operations;
}

void expect_same_setup(const UserSetup& before, const UserSetup& after) {
    EXPECT_EQ(after.camera_index, before.camera_index);
    // The light travels through the plug-in as floats.
    EXPECT_EQ(static_cast<float>(after.light.x), static_cast<float>(before.light.x));
    EXPECT_EQ(static_cast<float>(after.light.y), static_cast<float>(before.light.y));
    EXPECT_EQ(static_cast<float>(after.light.z), static_cast<float>(before.light.z));
    EXPECT_EQ(after.image_size.width, before.image_size.width);
    EXPECT_EQ(after.image_size.height, before.image_size.height);
}
