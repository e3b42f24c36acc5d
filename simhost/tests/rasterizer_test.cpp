// The renderer puts known geometry where perspective says it goes, keeps the
// nearest surface, shades by the light, and copes with cameras overhead and
// geometry behind the eye.
#include <gtest/gtest.h>

#include <cmath>

#include "simhost/rasterizer.h"

namespace simhost {
namespace {

constexpr Rgb red{200, 40, 40};
constexpr Rgb green{40, 200, 40};
constexpr int width = 200, height = 100;
// With a 36 mm lens the picture is as wide as the depth: at depth 10 one
// unit is 20 pixels, so (x, y) on the plane z = 0 lands at (100 + 20x, 50 - 20y).
constexpr float lens_36 = 36.0f;

const CameraPose front{{0, 0, 10}, {0, 0, 0}, {0, 1, 0}};
const Vec3d towards_the_scene{0, 0, -1};

std::vector<WorldTriangle> square(double cx, double cy, double z, double half, Rgb colour) {
    return {{{cx - half, cy - half, z}, {cx + half, cy - half, z}, {cx + half, cy + half, z}, colour},
            {{cx - half, cy - half, z}, {cx + half, cy + half, z}, {cx - half, cy + half, z}, colour}};
}

struct Extent {
    int count = 0, min_x = 1 << 20, max_x = -1, min_y = 1 << 20, max_y = -1;
};

Extent extent_of(const Image& image, Rgb colour) {
    Extent e;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y) == colour) {
                ++e.count;
                e.min_x = std::min(e.min_x, x);
                e.max_x = std::max(e.max_x, x);
                e.min_y = std::min(e.min_y, y);
                e.max_y = std::max(e.max_y, y);
            }
    return e;
}

TEST(Rasterizer, TriangleFacingTheCameraLandsWherePerspectivePutsIt) {
    Rasterizer r;
    // Corners at screen (80, 70), (120, 70) and (100, 30): the apex, +Y, is at the top.
    const std::vector<WorldTriangle> t{{{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}, red}};
    const Image image = r.render(t, front, lens_36, towards_the_scene, width, height);
    const Extent e = extent_of(image, red);
    EXPECT_NEAR(e.min_x, 80, 1);
    EXPECT_NEAR(e.max_x, 119, 1);
    EXPECT_NEAR(e.min_y, 30, 1);
    EXPECT_NEAR(e.max_y, 69, 1);
    EXPECT_NEAR(e.count, 800, 30);  // half of 40 x 40
    EXPECT_EQ(image.at(5, 5), r.style().background);
}

TEST(Rasterizer, LongerLensMagnifies) {
    Rasterizer r;
    const std::vector<WorldTriangle> t{{{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}, red}};
    EXPECT_NEAR(extent_of(r.render(t, front, 2 * lens_36, towards_the_scene, width, height), red).count, 3200, 80);
    // A lens that is no lens renders as the standard 35 mm one.
    const Image standard = r.render(t, front, 35.0f, towards_the_scene, width, height);
    EXPECT_EQ(r.render(t, front, 0.0f, towards_the_scene, width, height).rgb, standard.rgb);
    EXPECT_EQ(r.render(t, front, NAN, towards_the_scene, width, height).rgb, standard.rgb);
}

TEST(Rasterizer, NearerSurfaceWinsWhateverTheDrawingOrder) {
    Rasterizer r;
    std::vector<WorldTriangle> far_first = square(0, 0, 0, 1, red);
    const std::vector<WorldTriangle> near = square(0, 0, 2, 0.5, green);
    far_first.insert(far_first.end(), near.begin(), near.end());
    std::vector<WorldTriangle> near_first = near;
    const std::vector<WorldTriangle> far = square(0, 0, 0, 1, red);
    near_first.insert(near_first.end(), far.begin(), far.end());
    for (const auto& scene : {far_first, near_first}) {
        const Image image = r.render(scene, front, lens_36, towards_the_scene, width, height);
        EXPECT_EQ(image.at(100, 50), green);
        EXPECT_EQ(image.at(116, 50), red);  // only the far square reaches x = 0.8
    }
}

TEST(Rasterizer, LightDirectionSetsTheShade) {
    struct Case {
        Vec3d light;
        double brightness;  // ambient 0.2 + 0.8 * cos(angle between -light and the normal)
    } cases[] = {
        {{0, 0, -1}, 1.0},             // travelling straight at the face
        {{0, 0, -5}, 1.0},             // length does not matter
        {{0, -0.8660254, -0.5}, 0.6},  // 60 degrees off
        {{0, 0, 1}, 0.2},              // from behind: ambient only
        {{0, 0, 0}, 0.2},              // no light
    };
    Rasterizer r;
    const std::vector<WorldTriangle> t = square(0, 0, 0, 1, red);
    for (const Case& c : cases) {
        const Rgb seen = r.render(t, front, lens_36, c.light, width, height).at(100, 50);
        EXPECT_NEAR(seen.r, red.r * c.brightness, 1) << c.light.x << "," << c.light.y << "," << c.light.z;
        EXPECT_NEAR(seen.g, red.g * c.brightness, 1);
    }
}

TEST(Rasterizer, CameraStraightAboveSeesPlusXRightAndMinusZUp) {
    Rasterizer r;
    std::vector<WorldTriangle> ground;
    for (const auto& [x, z, colour] : {std::tuple{2.0, 0.0, red}, std::tuple{0.0, -2.0, green}}) {
        ground.push_back({{x - 0.5, 0, z - 0.5}, {x + 0.5, 0, z - 0.5}, {x + 0.5, 0, z + 0.5}, colour});
        ground.push_back({{x - 0.5, 0, z - 0.5}, {x + 0.5, 0, z + 0.5}, {x - 0.5, 0, z + 0.5}, colour});
    }
    const CameraPose overhead = CameraPose::looking_at({0, 10, 0}, {0, 0, 0});
    const Image image = r.render(ground, overhead, lens_36, {0, -1, 0}, width, height);
    EXPECT_EQ(image.at(140, 50), red);    // x = 2 is 40 pixels right of centre
    EXPECT_EQ(image.at(100, 10), green);  // z = -2 is 40 pixels above it
    EXPECT_EQ(image.at(60, 50), r.style().background);
    EXPECT_EQ(image.at(100, 90), r.style().background);
}

TEST(Rasterizer, GeometryBehindTheEyeIsClippedNotSmeared) {
    Rasterizer r;
    const Rgb grey{150, 150, 150};
    // A ground plane from far ahead to far behind a camera one unit above it.
    const std::vector<WorldTriangle> ground{{{-100, 0, -100}, {100, 0, -100}, {100, 0, 100}, grey},
                                            {{-100, 0, -100}, {100, 0, 100}, {-100, 0, 100}, grey}};
    const CameraPose level{{0, 1, 0}, {0, 1, -10}, {0, 1, 0}};
    const Image image = r.render(ground, level, lens_36, {0, -1, 0}, width, height);
    for (int x = 0; x < width; ++x) {
        EXPECT_EQ(image.at(x, height - 1), grey) << x;           // the ground just ahead
        EXPECT_EQ(image.at(x, 0), r.style().background) << x;    // the sky
    }
    EXPECT_EQ(image.at(100, 55), grey);  // about 36 units ahead
}

TEST(Rasterizer, SharedEdgesLeaveNoGapsAndNoBackgroundShowsThrough) {
    Rasterizer r;
    // A square split along its diagonal, filling the whole picture.
    const std::vector<WorldTriangle> s = square(0, 0, 0, 10, red);
    const Image image = r.render(s, front, lens_36, towards_the_scene, width, height);
    EXPECT_EQ(extent_of(image, red).count, width * height);
}

}  // namespace
}  // namespace simhost
