// Frames per second of the host's renderer on the demo scene, per number of
// threads, and how close each anti-aliasing level comes to a full 4 x 4
// supersampled picture.
//
//   cmake --build build/<dir> --target simhost_render_bench
//   build/<dir>/simhost/bench/simhost_render_bench [seconds per case]
//
// Each frame is what the renderer's render operation does: place the scene's
// meshes in the world, then rasterize them from the camera; the second figure
// adds the Photo-JPEG encoding of recording a frame. "off by" is the mean
// difference, in levels per channel, from the same view rendered 4 times
// larger without anti-aliasing and averaged down (every pixel 4 x 4 samples).
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "simhost/recording/frame_codec.h"
#include "simhost/rendering/demo_scene.h"
#include "simhost/rendering/parallel_work.h"
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

simhost::Image averaged_down(const simhost::Image& big, int factor) {
    simhost::Image small(big.width / factor, big.height / factor);
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x) {
            int sum[3] = {0, 0, 0};
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const simhost::Rgb c = big.at(x * factor + i, y * factor + j);
                    sum[0] += c.r, sum[1] += c.g, sum[2] += c.b;
                }
            const int n = factor * factor;
            small.set(x, y, {static_cast<std::uint8_t>((sum[0] + n / 2) / n), static_cast<std::uint8_t>((sum[1] + n / 2) / n),
                             static_cast<std::uint8_t>((sum[2] + n / 2) / n)});
        }
    return small;
}

double mean_difference(const simhost::Image& a, const simhost::Image& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / static_cast<double>(a.rgb.size());
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const simhost::Scene scene = simhost::demo_scene();
    simhost::Image image;
    std::printf("demo scene: %zu triangles, %d cores\n", scene.world_triangles().size(), simhost::available_cores());
    // Views from the user's camera and from overhead, alternately, as a capture sees them.
    simhost::CameraEntry views[2] = {*scene.camera(0), *scene.camera(0)};
    views[1].pose = simhost::CameraPose::looking_at({0, 13, 0}, {0, 0.6, 0});
    for (const auto& [w, h] : {std::pair{320, 240}, std::pair{1280, 960}}) {
        simhost::Image reference[2];
        for (int v = 0; v < 2; ++v) {
            simhost::Rasterizer big;
            big.render(scene.placed_meshes(), views[v].pose, views[v].float_setting, scene.light, w * 4, h * 4, image);
            reference[v] = averaged_down(image, 4);
        }
        for (int samples = 1; samples <= simhost::max_samples_per_side; ++samples)
            for (int threads = 1; threads <= simhost::available_cores(); ++threads) {
                simhost::RenderStyle style;
                style.samples_per_side = samples;
                style.threads = threads;
                simhost::Rasterizer rasterizer(style);
                double off = 0;
                for (int v = 0; v < 2; ++v) {
                    rasterizer.render(scene.placed_meshes(), views[v].pose, views[v].float_setting, scene.light, w, h, image);
                    off += mean_difference(image, reference[v]) / 2;
                }
                const double render_fps = frames_per_second(seconds, [&](int i) {
                    const simhost::CameraEntry& view = views[i % 2];
                    rasterizer.render(scene.placed_meshes(), view.pose, view.float_setting, scene.light, w, h, image);
                });
                const double recorded_fps = frames_per_second(seconds, [&](int i) {
                    const simhost::CameraEntry& view = views[i % 2];
                    rasterizer.render(scene.placed_meshes(), view.pose, view.float_setting, scene.light, w, h, image);
                    if (simhost::frame_codec_available(simhost::FrameCodec::jpeg))
                        (void)simhost::encode_frame(image, simhost::FrameCodec::jpeg);
                });
                std::printf("%5d x %-4d  %d x %d samples  %d thread%s  render %7.1f frames/s   render + JPEG %7.1f frames/s"
                            "   off by %.2f levels\n",
                            w, h, samples, samples, threads, threads == 1 ? " " : "s", render_fps, recorded_fps, off);
            }
    }
}
