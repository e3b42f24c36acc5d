// The built-in demo scene does its job: the light visibly matters, and the
// plug-in's default grid of 24 x 13 views gives 312 pictures no two alike.
#include <gtest/gtest.h>

#include "simhost/host_objects/session.h"
#include "simhost/rendering/demo_scene.h"
#include "simhost/rendering/rasterizer.h"
#include "test_support.h"

namespace simhost {
namespace {

// Share of pixels where any channel differs by more than a glance would miss.
double share_visibly_different(const Image& a, const Image& b) {
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const Rgb p = a.at(x, y), q = b.at(x, y);
            differing += std::abs(p.r - q.r) > 24 || std::abs(p.g - q.g) > 24 || std::abs(p.b - q.b) > 24;
        }
    return static_cast<double>(differing) / (a.width * a.height);
}

TEST(DemoScene, TheLightVisiblyMatters) {
    Scene lit = demo_scene();
    Scene reversed = lit;
    reversed.light = -lit.light;
    Rasterizer r;
    const Image a = r.render(lit, *lit.camera(0), 160, 120);
    const Image b = r.render(reversed, *reversed.camera(0), 160, 120);
    EXPECT_GT(testing::difference(a, b).mean, 10.0);
}

TEST(DemoScene, NoTwoViewsOfTheDefaultGridLookAlike) {
    testing::TempFolder folder;
    SessionOptions o;
    o.image_size = {48, 36};
    o.codec = FrameCodec::raw;
    o.keep_frame_images = true;
    o.save_path = folder.file("grid.mov");
    Session session(std::move(o));
    session.load_plugin(ORBIVANE_PLUGIN_PATH);
    const CommandResult result = session.run_command();
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();
    const std::vector<RecordedFrame>& frames = session.recorded_frames();
    ASSERT_EQ(frames.size(), 312u);
    double closest = 1e9;
    std::size_t pair[2] = {0, 0};
    for (std::size_t i = 0; i < frames.size(); ++i)
        for (std::size_t j = i + 1; j < frames.size(); ++j) {
            const double d = share_visibly_different(*frames[i].image, *frames[j].image);
            if (d < closest) {
                closest = d;
                pair[0] = i;
                pair[1] = j;
            }
        }
    EXPECT_GT(closest, 0.03) << "frames " << pair[0] << " and " << pair[1] << " look alike";
    std::printf("closest pair of views: frames %zu and %zu, %.1f%% of pixels differ\n", pair[0], pair[1],
                closest * 100);
}

}  // namespace
}  // namespace simhost
