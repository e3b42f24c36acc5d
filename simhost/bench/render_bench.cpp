// Frames per second of the host's renderer on the demo scene.
//
//   cmake --build build/<dir> --target simhost_render_bench
//   build/<dir>/simhost/bench/simhost_render_bench [seconds per case]
//
// Each frame is what the renderer's render operation does: place the
// scene's triangles in the world, then rasterize them from the camera; the
// second figure adds the Photo-JPEG encoding of recording a frame. Every size
// is measured at each anti-aliasing level (N x N samples per pixel).
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "simhost/recording/frame_codec.h"
#include "simhost/rendering/demo_scene.h"
#include "simhost/rendering/rasterizer.h"

namespace {

using clock_type = std::chrono::steady_clock;

template <typename Frame>
double frames_per_second(double seconds, Frame frame) {
    int frames = 0;
    const auto start = clock_type::now();
    double elapsed = 0;
    do {
        frame(frames);
        ++frames;
        elapsed = std::chrono::duration<double>(clock_type::now() - start).count();
    } while (elapsed < seconds);
    return frames / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    simhost::Scene scene = simhost::demo_scene();
    simhost::Image image;
    std::printf("demo scene: %zu triangles\n", scene.world_triangles().size());
    for (const auto& [w, h] : {std::pair{320, 240}, std::pair{1280, 960}})
    for (int samples = 1; samples <= simhost::max_samples_per_side; ++samples) {
        simhost::RenderStyle style;
        style.samples_per_side = samples;
        simhost::Rasterizer rasterizer(style);
        // Views from the user's camera and from overhead, alternately, as a capture sees them.
        simhost::CameraEntry views[2] = {*scene.camera(0), *scene.camera(0)};
        views[1].pose = simhost::CameraPose::looking_at({0, 13, 0}, {0, 0.6, 0});
        const double render_fps = frames_per_second(seconds, [&](int i) {
            const simhost::CameraEntry& view = views[i % 2];
            rasterizer.render(scene.world_triangles(), view.pose, view.float_setting, scene.light, w, h, image);
        });
        const double recorded_fps = frames_per_second(seconds, [&](int i) {
            const simhost::CameraEntry& view = views[i % 2];
            rasterizer.render(scene.world_triangles(), view.pose, view.float_setting, scene.light, w, h, image);
            if (simhost::frame_codec_available(simhost::FrameCodec::jpeg))
                (void)simhost::encode_frame(image, simhost::FrameCodec::jpeg);
        });
        std::printf("%5d x %-4d  %d x %d samples  render %7.1f frames/s   render + JPEG %7.1f frames/s\n", w, h,
                    samples, samples, render_fps, recorded_fps);
    }
}
