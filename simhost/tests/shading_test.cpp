// What a picture shows inside faces: texels where the test put them, smooth
// brightness that follows the surface normal the test computes, and the same
// bytes whatever the number of threads.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "simhost/rendering/demo_scene.h"
#include "simhost/rendering/rasterizer.h"

namespace simhost {
namespace {

constexpr double pi = 3.14159265358979323846;
// A 36 mm lens at depth 10: one unit on the plane z = 0 is 20 pixels of a
// 200-wide picture, (x, y) landing at (100 + 20x, 50 - 20y) (looking along
// +Z, +X is on the right of the host's pictures).
const CameraPose front{{0, 0, -10}, {0, 0, 0}, {0, 1, 0}};
constexpr float lens_36 = 36.0f;
// Straight into the faces that look at the camera: brightness 1 there.
const Vec3d head_on{0, 0, 1};

// 4 x 4 texels, each its own colour.
std::shared_ptr<const Texture> checker() {
    auto texture = std::make_shared<Texture>(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            texture->set(x, y, (x + y) % 2 ? Rgb{static_cast<std::uint8_t>(60 * x), 230, static_cast<std::uint8_t>(50 * y)}
                                           : Rgb{250, static_cast<std::uint8_t>(20 + 40 * y), static_cast<std::uint8_t>(30 * x)});
    return texture;
}

// The square [-2, 2] x [-2, 2] at z = 0 carrying the texture, (0, 0) at its top-left.
Mesh textured_square(std::shared_ptr<const Texture> texture) {
    Mesh mesh;
    mesh.vertices = {{-2, 2, 0}, {2, 2, 0}, {2, -2, 0}, {-2, -2, 0}};
    mesh.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.textures = {std::move(texture)};
    mesh.faces = {{0, 2, 1, {255, 255, 255}, 0}, {0, 3, 2, {255, 255, 255}, 0}};
    return mesh;
}

TEST(Shading, TexelsAppearWithTheirOwnColoursWhereTheTextureSaysAtEverySampling) {
    const std::shared_ptr<const Texture> texture = checker();
    const Mesh square = textured_square(texture);
    for (const int samples : {1, 3}) {
        Rasterizer r(RenderStyle{.samples_per_side = samples});
        Image image;
        // Half a pixel aside, so pixel centres fall on texel centres: pixel (x, y)
        // then shows the point ((x + 1 - 100) / 20, -(y + 1 - 50) / 20).
        const CameraPose aside{{0.025, -0.025, -10}, {0.025, -0.025, 0}, {0, 1, 0}};
        r.render({{&square, Mat4d{}}}, aside, lens_36, head_on, 200, 100, image);
        // Texel (i, j) covers [-2 + i, -1 + i] x [2 - j, 1 - j], 20 pixels a side.
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 4; ++i) {
                const int px = 69 + 20 * i, py = 19 + 20 * j;
                EXPECT_EQ(image.at(px, py), texture->at(i, j)) << samples << " samples, texel " << i << "," << j;
            }
        // On the line between two texels the filter blends them.
        const Rgb left = texture->at(0, 0), right = texture->at(1, 0), seam = image.at(79, 19);
        EXPECT_GT(seam.r, std::min(left.r, right.r));
        EXPECT_LT(seam.r, std::max(left.r, right.r));
    }
}

// A sphere of radius 2 cut into `around` x `down` quads, whose corners carry the true normal.
Mesh smooth_sphere(bool with_normals, int around = 16, int down = 8) {
    Mesh mesh;
    for (int j = 0; j <= down; ++j)
        for (int i = 0; i <= around; ++i) {
            const double polar = pi * j / down, turn = 2 * pi * i / around;
            const Vec3d n{std::sin(polar) * std::cos(turn), std::cos(polar), std::sin(polar) * std::sin(turn)};
            mesh.vertices.push_back(n * 2.0);
            if (with_normals) mesh.normals.push_back(to_f(n));
        }
    for (int j = 0; j < down; ++j)
        for (int i = 0; i < around; ++i) {
            const int a = j * (around + 1) + i, b = a + 1, c = a + around + 1, d = c + 1;
            mesh.faces.push_back({a, c, b, {200, 200, 200}});
            mesh.faces.push_back({b, c, d, {200, 200, 200}});
        }
    return mesh;
}

TEST(Shading, SmoothSphereBrightnessFollowsTheTrueNormal) {
    const Vec3d light = normalized({-1, -1, 2});
    struct Fit {
        double mean = 0;
        int levels = 0;
    };
    auto fit = [&](const Mesh& sphere) {
        Rasterizer r;
        Image image;
        r.render({{&sphere, Mat4d{}}}, front, lens_36, light, 200, 100, image);
        // Each pixel's ray from the eye meets the true sphere at a point whose normal the test knows.
        double sum = 0;
        int count = 0;
        std::set<int> levels;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) {
                const Vec3d ray = normalized({(x + 0.5 - 100) / 200.0, -(y + 0.5 - 50) / 200.0, 1});
                const Vec3d eye = front.eye;
                const double b = dot(eye, ray), c = dot(eye, eye) - 4, disc = b * b - c;
                if (disc < 0.2) continue;  // off the sphere or grazing its outline
                const Vec3d n = normalized(eye + ray * (-b - std::sqrt(disc)));
                const double brightness = 0.2 + 0.8 * std::max(0.0, -dot(n, light));
                sum += std::abs(image.at(x, y).r - 200 * brightness);
                ++count;
                levels.insert(image.at(x, y).r);
            }
        return Fit{sum / count, static_cast<int>(levels.size())};
    };
    const Mesh smooth = smooth_sphere(true), faceted = smooth_sphere(false), fine = smooth_sphere(true, 64, 32);
    const Fit s = fit(smooth), f = fit(faceted), closer = fit(fine);
    // What is left is the flat faces standing inside the true sphere: it shrinks as they get smaller.
    EXPECT_LT(s.mean, 3.5) << "smooth shading strays from n . L";
    EXPECT_LT(closer.mean, 0.6) << "a finer sphere should come closer to n . L";
    EXPECT_GT(f.mean, 2.5 * s.mean) << "faceted shading should stray much further";
    EXPECT_GT(s.levels, 2 * f.levels);
}

TEST(Shading, FramesAreTheSameBytesOnAnyNumberOfThreads) {
    const Scene scene = demo_scene();
    const Mesh square = textured_square(checker()), sphere = smooth_sphere(true);
    std::vector<PlacedMesh> meshes = scene.placed_meshes();
    Mat4d aside;
    aside.m[3][0] = 3;
    meshes.push_back({&square, aside});
    meshes.push_back({&sphere, Mat4d{}});
    for (const int samples : {1, 3}) {
        Image one, many;
        Rasterizer(RenderStyle{.samples_per_side = samples, .threads = 1})
            .render(meshes, scene.camera(0)->pose, 35, scene.light, 333, 251, one);
        for (const int threads : {2, 3, 8}) {
            Rasterizer(RenderStyle{.samples_per_side = samples, .threads = threads})
                .render(meshes, scene.camera(0)->pose, 35, scene.light, 333, 251, many);
            EXPECT_EQ(one.rgb, many.rgb) << samples << " samples, " << threads << " threads";
        }
    }
}

}  // namespace
}  // namespace simhost
