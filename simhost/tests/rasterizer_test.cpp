// The renderer puts known geometry where perspective says it goes, keeps the
// nearest surface, shades by the light, and copes with cameras overhead and
// geometry behind the eye.
#include <gtest/gtest.h>

#include <cmath>

#include "simhost/rendering/mesh_shapes.h"
#include "simhost/rendering/rasterizer.h"

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

TEST(Rasterizer, CameraStraightAboveSeesPlusXRightAndPlusZUp) {
    Rasterizer r;
    std::vector<WorldTriangle> ground;
    for (const auto& [x, z, colour] : {std::tuple{2.0, 0.0, red}, std::tuple{0.0, -2.0, green}}) {
        ground.push_back({{x - 0.5, 0, z - 0.5}, {x + 0.5, 0, z - 0.5}, {x + 0.5, 0, z + 0.5}, colour});
        ground.push_back({{x - 0.5, 0, z - 0.5}, {x + 0.5, 0, z + 0.5}, {x - 0.5, 0, z + 0.5}, colour});
    }
    const CameraPose overhead = CameraPose::looking_at({0, 10, 0}, {0, 0, 0});
    const Image image = r.render(ground, overhead, lens_36, {0, -1, 0}, width, height);
    EXPECT_EQ(image.at(140, 50), red);    // x = 2 is 40 pixels right of centre
    EXPECT_EQ(image.at(100, 90), green);  // z = -2 is 40 pixels below it
    EXPECT_EQ(image.at(60, 50), r.style().background);
    EXPECT_EQ(image.at(100, 10), r.style().background);
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

TEST(Rasterizer, PicturesAreLeftHanded) {
    // Looking along +Z with +Y up, +X is on the right.
    Rasterizer r;
    const CameraPose from_minus_z{{0, 0, -10}, {0, 0, 0}, {0, 1, 0}};
    const Image image = r.render(square(2, 0, 0, 0.5, red), from_minus_z, lens_36, {0, 0, 1}, width, height);
    EXPECT_EQ(image.at(140, 50), red);
    EXPECT_EQ(image.at(60, 50), r.style().background);
}

// A quad filling a square picture, split along a diagonal that runs through
// (or within rounding of) pixel centres, seen straight on and turned.
TEST(Rasterizer, QuadSplitInTwoCoversEveryPixelExactlyOnce) {
    Rasterizer r;
    const Vec3d a{-4.95, -4.95, 0}, b{4.95, -4.95, 0}, c{4.95, 4.95, 0}, d{-4.95, 4.95, 0};
    const std::vector<WorldTriangle> first{{a, b, c, red}}, second{{a, c, d, green}};
    const CameraPose poses[] = {
        {{0, 0, 7}, {0, 0, 0}, {0, 1, 0}},           {{0, 0, 9.8}, {0, 0, 0}, {0, 1, 0}},
        {{0.3, 0.1, 6}, {0, 0, 0}, {0.3, 1, 0}},     {{-0.9, 0.5, 5}, {0.2, 0, 0}, {0.9, 0.4, 0}},
    };
    for (const CameraPose& pose : poses) {
        const Image one = r.render(first, pose, lens_36, towards_the_scene, 100, 100);
        const Image other = r.render(second, pose, lens_36, towards_the_scene, 100, 100);
        int gaps = 0, twice = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                const bool in_one = one.at(x, y) != r.style().background;
                const bool in_other = other.at(x, y) != r.style().background;
                gaps += !in_one && !in_other;
                twice += in_one && in_other;
            }
        EXPECT_EQ(gaps, 0) << "eye z " << pose.eye.z;
        EXPECT_EQ(twice, 0) << "eye z " << pose.eye.z;
    }
}

// Background pixels that cannot reach the picture's border through background.
int holes(const Image& image, Rgb background) {
    std::vector<char> reached(static_cast<std::size_t>(image.width * image.height), 0);
    std::vector<std::pair<int, int>> stack;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
        char& seen = reached[static_cast<std::size_t>(y * image.width + x)];
        if (seen || image.at(x, y) != background) return;
        seen = 1;
        stack.emplace_back(x, y);
    };
    for (int x = 0; x < image.width; ++x) visit(x, 0), visit(x, image.height - 1);
    for (int y = 0; y < image.height; ++y) visit(0, y), visit(image.width - 1, y);
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        visit(x + 1, y), visit(x - 1, y), visit(x, y + 1), visit(x, y - 1);
    }
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) count += image.at(x, y) == background && !reached[static_cast<std::size_t>(y * image.width + x)];
    return count;
}

// Only the faces turned towards the camera are drawn, so a pixel that falls
// between them shows the background instead of a face behind.
TEST(Rasterizer, ClosedSolidsShowNoBackgroundInsideTheirOutline) {
    Rasterizer r;
    Mesh sphere, pyramid, box;
    add_sphere(sphere, {-1.2, 0, 0}, 1.0, 3, red, green);
    add_pyramid(pyramid, {1.2, -0.8, 0}, 0.9, 1.8, red, green);  // four faces meet at the apex (1.2, 1, 0)
    add_box(box, {0.4, -1.6, -0.8}, {2.0, -0.8, 0.8}, green);
    std::vector<CameraPose> views;
    for (int view = 0; view < 24; ++view) {
        const double az = view * 0.2618, el = (view % 5 - 2) * 0.6;
        views.push_back(CameraPose::looking_at(
            Vec3d{std::cos(el) * std::sin(az), std::sin(el), std::cos(el) * std::cos(az)} * 9.0, {0, -0.3, 0}));
    }
    // Straight above the apex, which lands on the centre of the middle pixel.
    for (double height : {5.0, 6.0, 7.3, 9.0}) views.push_back({{1.2, 1.0 + height, 0}, {1.2, 1.0, 0}, {0, 0, 1}});
    for (const CameraPose& pose : views)
        for (const Mesh* solid : {&sphere, &pyramid, &box}) {
            std::vector<WorldTriangle> facing;
            for (const Mesh::Face& f : solid->faces) {
                const WorldTriangle t{solid->vertices[static_cast<std::size_t>(f.a)],
                                      solid->vertices[static_cast<std::size_t>(f.b)],
                                      solid->vertices[static_cast<std::size_t>(f.c)], f.colour};
                if (dot(cross(t.b - t.a, t.c - t.a), pose.eye - t.a) > 0) facing.push_back(t);
            }
            EXPECT_EQ(holes(r.render(facing, pose, lens_36, {0, -1, 0}, 161, 121), r.style().background), 0)
                << solid->faces.size() << " faces from " << pose.eye.x << "," << pose.eye.y << "," << pose.eye.z;
        }
}

TEST(Rasterizer, AntialiasingAveragesSamplesAndKeepsFlatAreas) {
    RenderStyle style;
    style.samples_per_side = 3;
    Rasterizer smooth(style), hard;
    // A square from x = -29/60 to 31/60: seen from +Z (-X on the right) its
    // right edge crosses pixel column 109 two thirds of the way in.
    const std::vector<WorldTriangle> t = square(1.0 / 60, 0, 0, 0.5, red);
    const Image soft = smooth.render(t, front, lens_36, towards_the_scene, width, height);
    EXPECT_EQ(soft.at(100, 50), hard.render(t, front, lens_36, towards_the_scene, width, height).at(100, 50));
    const Rgb edge = soft.at(109, 50), bg = smooth.style().background;
    // Two of three sample columns are red: (2 * 200 + 38) / 3 = 146.
    EXPECT_EQ(edge.r, (2 * red.r + bg.r + 1) / 3);
    EXPECT_EQ(edge.b, (2 * red.b + bg.b + 1) / 3);
}

}  // namespace
}  // namespace simhost
