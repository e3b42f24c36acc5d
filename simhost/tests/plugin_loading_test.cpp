// Loading the real plug-in library through its exports and running its
// command in a session, as the host application would.
#include <gtest/gtest.h>

#include "simhost/host_objects/cp932_text.h"
#include "simhost/host_objects/session.h"
#include "test_support.h"

namespace simhost {
namespace {

TEST(PluginLoading, DescribesTheComponentThroughTheExports) {
    Session session;
    const PluginDescription& d = session.load_plugin(ORBIVANE_PLUGIN_PATH);
    EXPECT_EQ(d.components, 1);
    EXPECT_EQ(d.name, "Orbivane");
    EXPECT_EQ(static_cast<std::uint32_t>(d.id), 0x40A00130u);
    EXPECT_EQ(d.info_numbers[0], 36088);
    EXPECT_EQ(d.info_name, "Orbivane");
    EXPECT_EQ(d.info_author, "QUARLEX");
    EXPECT_EQ(utf8_from_cp932(d.info_description), "QTVRオブジェクトを作成するプラグイン");
    EXPECT_EQ(d.text_encoding, 932);
    EXPECT_FALSE(d.resident);
    // The host's one reference is the last: releasing it frees the component.
    EXPECT_EQ(session.unload_plugin(), 0);
}

TEST(PluginLoading, ALibraryThatIsNoPlugInIsRefusedWithItsReason) {
    Session session;
    try {
        session.load_plugin("libjpeg.so.62");
        FAIL() << "loaded a library without the plug-in exports";
    } catch (const plugin_error& e) {
        EXPECT_NE(std::string(e.what()).find("does not export has_interface"), std::string::npos) << e.what();
    }
    EXPECT_THROW(session.load_plugin("/nonexistent/Orbivane.so"), plugin_error);
    EXPECT_FALSE(session.plugin_loaded());
}

TEST(PluginLoading, CancelledDialogEndsTheCommandBeforeAnythingIsBuilt) {
    SessionOptions o;
    o.dialog.confirm = false;
    Session session(std::move(o));
    session.load_plugin(ORBIVANE_PLUGIN_PATH);
    const CommandResult result = session.run_command();
    EXPECT_TRUE(result.ok()) << result.exception << result.audit.text();
    EXPECT_EQ(session.calls().count("window", "save_dialog"), 0u);
    EXPECT_TRUE(session.progress().empty());
}

TEST(PluginLoading, SmallCaptureRunsTwiceInOneSessionWithABalancedAudit) {
    testing::TempFolder folder;
    SessionOptions o;
    o.image_size = {32, 24};
    o.codec = FrameCodec::raw;
    o.dialog.columns = 3;
    o.dialog.rows = 2;
    o.save_path = folder.file("small.mov");
    Session session(std::move(o));
    session.load_plugin(ORBIVANE_PLUGIN_PATH);
    for (int run = 0; run < 2; ++run) {
        const CommandResult result = session.run_command();
        EXPECT_TRUE(result.ok()) << result.exception << result.audit.text();
        EXPECT_EQ(result.frames_recorded, 6);
        EXPECT_EQ(testing::probe_video(folder.file("small.mov")).frames, 6);
    }
    // The rig is undone after each command, so the second filmed what the first did.
    const std::vector<RecordedFrame>& frames = session.recorded_frames();
    ASSERT_EQ(frames.size(), 12u);
    EXPECT_EQ(frames[0].camera.eye.y, frames[6].camera.eye.y);
    EXPECT_EQ(session.scene().camera_object_count(), 0);
    EXPECT_EQ(session.windowing().beeps().size(), 2u);
}

}  // namespace
}  // namespace simhost
