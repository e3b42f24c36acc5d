// A capture films an orbit: every frame of the finished movie is the user's
// untouched scene seen from the frame's own place on a sphere around the
// target, by a camera this test places itself (not through "Container" or the
// rig). Row r, column c: elevation 90 - r * row step degrees, azimuth
// c * 360 / columns degrees from -Z towards +X.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "capture/tests/capture_session.h"
#include "capture/tests/expected_views.h"
#include "capture/tests/movie_probe.h"
#include "simhost/rendering/mesh_shapes.h"

namespace {

using simhost::Rgb;
using simhost::Vec3d;

constexpr double pi = 3.14159265358979323846;
constexpr int eye_width = 64, eye_height = 48;

// The camera at (azimuth, elevation) on the sphere of the given radius, its up
// pointing along rising elevation (so it stays upright over the poles). A
// stereo eye is swung about that up axis by eye_offset degrees towards the
// picture's left; the host's pictures are left-handed (right = up x forward).
//
// The capture keeps its camera still and turns the scene, so a light that
// stays put in the world keeps its place relative to the camera: the light
// travels along the orbit with the camera. It is given here as seen by the
// first view (straight above: +X right, +Z up, -Y forward).
struct OrbitView {
    simhost::CameraPose pose;
    Vec3d light;
};

OrbitView orbit_view(Vec3d target, double radius, double azimuth, double elevation, double eye_offset,
                     Vec3d light_from_above) {
    const double az = azimuth * pi / 180, el = elevation * pi / 180, o = eye_offset * pi / 180;
    const Vec3d out{std::cos(el) * std::sin(az), std::sin(el), -std::cos(el) * std::cos(az)};
    const Vec3d up{-std::sin(el) * std::sin(az), std::cos(el), std::sin(el) * std::cos(az)};
    const Vec3d right = simhost::cross(up, -out);
    const Vec3d light = right * light_from_above.x + up * light_from_above.z + out * light_from_above.y;
    return {{target + (out * std::cos(o) - right * std::sin(o)) * radius, target, up}, light};
}

// Share of channel values more than 24 levels from the reference.
double share_off(const simhost::Image& a, const simhost::Image& b) {
    if (a.width != b.width || a.height != b.height) return 1;
    int off = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) off += std::abs(int(a.rgb[i]) - int(b.rgb[i])) > 24;
    return double(off) / double(a.rgb.size());
}

class OrbitReference : public CaptureSession {
protected:
    std::vector<simhost::Image> capture(simhost::SessionOptions options) {
        start(std::move(options));
        const simhost::CommandResult result = run();
        EXPECT_TRUE(result.ok()) << result.exception << result.audit.text();
        const bool stereo = session().recorded_frames().empty() ? false
                                                                : session().recorded_frames()[0].size.width > eye_width;
        return ffmpeg_frames(output_path, stereo ? 2 * eye_width : eye_width, eye_height);
    }
};

TEST_F(OrbitReference, EveryFrameIsTheSceneSeenFromItsPlaceOnTheOrbit) {
    struct Grid {
        const char* name;
        int columns, rows;
        bool upper_hemisphere = false, stereo = false;
        int method = 0;  // 0 parallel, 1 cross
    };
    const Grid grids[] = {
        {"default 24 x 13", 24, 13},           {"8 x 5", 8, 5},
        {"one row", 6, 1},                     {"upper hemisphere of 8 x 13", 8, 13, true},
        {"stereo parallel 4 x 5", 4, 5, false, true, 0}, {"stereo cross 4 x 5", 4, 5, false, true, 1},
    };
    // Tolerance: the rig turns the scene with single-precision matrices, so an
    // edge may land a hair away from the exact orbit and flip a sample. (Seen:
    // a mean difference of at most 0.004 levels, no value more than 24 off.)
    constexpr double max_mean_difference = 0.25, max_share_off = 0.005;
    for (const Grid& grid : grids) {
        simhost::SessionOptions options = small_capture(grid.columns, grid.rows);
        options.dialog.upper_hemisphere = grid.upper_hemisphere;
        options.dialog.stereo = grid.stereo;
        options.dialog.method = grid.method;
        const simhost::Scene user_scene = options.scene;
        const std::vector<simhost::Image> frames = capture(std::move(options));
        const int rows = grid.upper_hemisphere ? (grid.rows + 1) / 2 : grid.rows;
        ASSERT_EQ(frames.size(), std::size_t(rows * grid.columns)) << grid.name;

        const simhost::CameraEntry& user_camera = *user_scene.current_camera();
        const Vec3d target = user_camera.pose.target;
        const double radius = simhost::length(user_camera.pose.eye - target);
        const double row_step = grid.rows > 1 ? 180.0 / (grid.rows - 1) : 0;
        // Parallel viewing puts the left eye's picture on the left, cross viewing the right eye's.
        const double half_parallax = grid.stereo ? 2.0 : 0.0;
        const double left_offset = grid.method == 0 ? half_parallax : -half_parallax;

        double worst = 0, worst_share = 0;
        std::size_t worst_frame = 0;
        for (std::size_t k = 0; k < frames.size(); ++k) {
            const int row = int(k) / grid.columns, column = int(k) % grid.columns;
            auto seen_from = [&](double offset) {
                const OrbitView view = orbit_view(target, radius, column * 360.0 / grid.columns, 90 - row * row_step,
                                                  offset, user_scene.light);
                simhost::Scene lit = user_scene;
                lit.light = view.light;
                simhost::CameraEntry camera;
                camera.pose = view.pose;
                camera.float_setting = user_camera.float_setting;
                return session().render(lit, camera, eye_width, eye_height);
            };
            std::vector<std::pair<simhost::Image, simhost::Image>> pictures;
            if (grid.stereo) {
                pictures.emplace_back(half_of(frames[k], false), seen_from(left_offset));
                pictures.emplace_back(half_of(frames[k], true), seen_from(-left_offset));
            } else {
                pictures.emplace_back(frames[k], seen_from(0));
            }
            for (const auto& [frame, expected] : pictures) {
                const double difference = mean_difference(frame, expected), share = share_off(frame, expected);
                if (difference > worst || share > worst_share) worst_frame = k;
                worst = std::max(worst, difference);
                worst_share = std::max(worst_share, share);
            }
        }
        EXPECT_LT(worst, max_mean_difference) << grid.name << ", worst around frame " << worst_frame;
        EXPECT_LT(worst_share, max_share_off) << grid.name << ", worst around frame " << worst_frame;
    }
}

// A box whose six faces have six colours, centred on the camera's target.
constexpr Rgb minus_x{0, 255, 0}, plus_x{255, 0, 0}, minus_y{255, 0, 255}, plus_y{255, 255, 255},
    minus_z{255, 255, 0}, plus_z{0, 0, 255};

simhost::Scene six_coloured_box() {
    simhost::Scene scene;
    simhost::Mesh box;
    simhost::add_box(box, {-1, -1, -1}, {1, 1, 1}, {minus_x, plus_x, minus_y, plus_y, minus_z, plus_z});
    scene.add_part("Box", std::move(box));
    scene.light = {-0.3, -1.0, 0.45};
    simhost::add_user_cameras(scene, {0, 0, 0}, 1.8);
    return scene;
}

// Shading scales a face's colour, so the channels it leaves at zero tell the face.
std::optional<Rgb> face_of(Rgb pixel, Rgb background) {
    if (pixel == background) return std::nullopt;
    for (Rgb face : {minus_x, plus_x, minus_y, plus_y, minus_z, plus_z})
        if ((pixel.r > 0) == (face.r > 0) && (pixel.g > 0) == (face.g > 0) && (pixel.b > 0) == (face.b > 0)) return face;
    return std::nullopt;
}

std::map<std::tuple<int, int, int>, int> faces_seen(const simhost::Image& image, Rgb background) {
    std::map<std::tuple<int, int, int>, int> count;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (const auto face = face_of(image.at(x, y), background)) ++count[{face->r, face->g, face->b}];
    return count;
}

std::tuple<int, int, int> key(Rgb c) { return {c.r, c.g, c.b}; }

TEST_F(OrbitReference, SideRowWalksRoundTheFourWallsAndTheTopRowSeesOnlyTheLid) {
    simhost::SessionOptions options = small_capture(4, 3);  // from above, from the side, from below
    options.scene = six_coloured_box();
    options.antialias = 1;  // every pixel shows one face
    const std::vector<simhost::Image> frames = capture(std::move(options));
    ASSERT_EQ(frames.size(), 12u);
    const Rgb background = simhost::RenderStyle{}.background;
    const Rgb side_walls[] = {minus_z, plus_x, plus_z, minus_x};  // seen from -Z, +X, +Z, -X
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(faces_seen(frames[std::size_t(column)], background).size(), 1u) << column;
        EXPECT_TRUE(faces_seen(frames[std::size_t(column)], background).count(key(plus_y))) << column;
        const simhost::Image& side = frames[std::size_t(4 + column)];
        ASSERT_TRUE(face_of(side.at(eye_width / 2, eye_height / 2), background)) << column;
        EXPECT_EQ(key(*face_of(side.at(eye_width / 2, eye_height / 2), background)), key(side_walls[column])) << column;
        EXPECT_EQ(faces_seen(side, background).size(), 1u) << column;
        const auto below = faces_seen(frames[std::size_t(8 + column)], background);
        EXPECT_EQ(below.size(), 1u) << column;
        EXPECT_TRUE(below.count(key(minus_y))) << column;
    }
}

// With the light following, the light is fixed to the object: each face of the
// box keeps one brightness in every view of the grid, whichever way it faces
// the camera. Shading scales a face's colour, so its largest channel is its level.
TEST_F(OrbitReference, LightFollowingKeepsEachFaceItsBrightnessInEveryView) {
    constexpr int columns = 8, rows = 5;  // rows at 90, 45, 0, -45, -90 degrees
    simhost::SessionOptions options = small_capture(columns, rows);
    options.scene = six_coloured_box();
    options.antialias = 1;  // every pixel shows one face
    options.dialog.light_follows = true;
    const std::vector<simhost::Image> frames = capture(std::move(options));
    ASSERT_EQ(frames.size(), std::size_t(rows * columns));

    const Rgb background = simhost::RenderStyle{}.background;
    std::map<std::tuple<int, int, int>, std::pair<int, int>> levels;  // face: lowest, highest
    for (const simhost::Image& frame : frames)
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                const Rgb pixel = frame.at(x, y);
                const auto face = face_of(pixel, background);
                if (!face) continue;
                const int level = std::max({pixel.r, pixel.g, pixel.b});
                auto [it, fresh] = levels.try_emplace(key(*face), level, level);
                it->second = {std::min(it->second.first, level), std::max(it->second.second, level)};
            }
    EXPECT_EQ(levels.size(), 6u) << "the grid sees every face";
    std::set<int> distinct;
    for (const auto& [face, range] : levels) {
        EXPECT_LE(range.second - range.first, 1) << "face " << std::get<0>(face) << "," << std::get<1>(face) << ","
                                                  << std::get<2>(face);
        distinct.insert(range.first);
    }
    EXPECT_GE(distinct.size(), 3u) << "the light falls differently on different faces";
}

}  // namespace
