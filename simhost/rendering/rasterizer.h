// The host's software renderer: triangles with flat or smooth shading and
// filtered textures, perspective, z-buffer, on every core.
//
// Camera: looks from the pose's eye at its target with the pose's up vector
// (camera_pose.h). The camera's float setting is its focal length in
// millimetres on a 36 mm wide frame, so the horizontal field of view is
// 2 * atan(18 / focal); pixels are square. A focal length that is not a
// positive finite number renders as 35 mm.
//
// Light: the scene's light vector is the direction in which the light
// travels, from the light into the scene. A point whose normal n points back
// against it is lit: brightness = ambient + (1 - ambient) * max(0, -n . L),
// with L the unit light vector and n turned towards the camera (faces are
// two-sided). n is the face's own normal, or with vertex normals the
// normals interpolated across the face (perspective-correct) and made unit
// length at every pixel. A zero light vector leaves only the ambient share.
// A textured face's colour is its texture, sampled bilinearly at the
// interpolated texture position and tinted by the face's colour.
//
// Coverage is watertight: corners are snapped to 1/256 sample and the edge
// tests are exact integer arithmetic, with a tie rule that gives every sample
// on an edge shared by two triangles to exactly one of them. Clipping (near
// plane, and a guard band far outside the picture that keeps the integers in
// range) cuts a shared edge at the same point for both triangles.
//
// Anti-aliasing: with samples_per_side N > 1 a pixel whose colour differs
// from a neighbour's and that shows another triangle (an edge crosses it) is
// the mean of an N x N grid of samples, tested against the triangles shown in
// it and around it, each triangle found shaded once at the pixel's centre;
// other pixels are shaded once at their centre, which for them is what N x N
// samples would give. The picture is cut into bands of rows that the workers
// take in turn; every row is computed the same way whichever band and worker
// holds it, so frames are bit-for-bit the same on every build and with any
// number of threads.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "simhost/rendering/camera_pose.h"
#include "simhost/rendering/image.h"
#include "simhost/rendering/scene_model.h"

namespace simhost {

constexpr int max_samples_per_side = 4;
// The default, 3 x 3, is where the gain levels off (README, benchmarks).
constexpr int default_samples_per_side = 3;

struct RenderStyle {
    Rgb background{38, 42, 52};
    double ambient = 0.2;
    int samples_per_side = 1;  // 1 to max_samples_per_side
    int threads = 0;           // 0: every core
};

constexpr float default_focal_length = 35.0f;

class Rasterizer {
public:
    explicit Rasterizer(RenderStyle style = {});
    ~Rasterizer();
    // A copy renders in the same style; buffers are its own.
    Rasterizer(const Rasterizer& other);
    Rasterizer& operator=(const Rasterizer& other);

    // Renders into target, which takes the given size.
    void render(const std::vector<PlacedMesh>& meshes, const CameraPose& pose, float focal_length, Vec3d light,
                int width, int height, Image& target);
    Image render(const std::vector<WorldTriangle>& triangles, const CameraPose& pose, float focal_length,
                 Vec3d light, int width, int height);
    // The scene through one of its camera entries, with the scene's light.
    Image render(const Scene& scene, const CameraEntry& camera, int width, int height);

    const RenderStyle& style() const { return style_; }

    // A triangle on the sample grid: corners in 1/256 sample units, ordered
    // so that its area is positive.
    struct ScreenTriangle {
        std::int32_t x[3], y[3];
        double inverse_depth[3];
        double inverse_area;      // 1 / (twice the area in 1/256 sample units squared)
        Rgb colour;               // flat and untextured: the shaded colour; else the face's colour
        std::int32_t shading;     // index into the shading list, or -1
    };
    // How a smooth or textured triangle is coloured at each point.
    struct Shading {
        float normal[3][3];       // world-space corner normals turned towards the camera
        float uv[3][2];
        bool smooth;              // false: `brightness` holds for the whole face
        double brightness;
        const Texture* texture;   // null: the face's colour
    };

private:
    RenderStyle style_;
    std::vector<ScreenTriangle> screen_;
    std::vector<Shading> shading_;
    std::vector<std::vector<std::uint32_t>> bins_;  // triangles per band, in drawing order

public:
    struct BandScratch;

private:
    std::vector<std::unique_ptr<BandScratch>> scratch_;  // one per worker
};

}  // namespace simhost
