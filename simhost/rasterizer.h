// The host's software renderer: flat-shaded triangles, perspective, z-buffer.
//
// Camera: looks from the pose's eye at its target with the pose's up vector
// (camera_pose.h). The camera's float setting is its focal length in
// millimetres on a 36 mm wide frame, so the horizontal field of view is
// 2 * atan(18 / focal); pixels are square. A focal length that is not a
// positive finite number renders as 35 mm.
//
// Light: the scene's light vector is the direction in which the light
// travels, from the light into the scene. A face whose normal n points back
// against it is lit: brightness = ambient + (1 - ambient) * max(0, -n . L),
// with L the unit light vector and n turned towards the camera (faces are
// two-sided). A zero light vector leaves only the ambient share.
#pragma once

#include <vector>

#include "simhost/camera_pose.h"
#include "simhost/image.h"
#include "simhost/scene_model.h"

namespace simhost {

struct RenderStyle {
    Rgb background{38, 42, 52};
    double ambient = 0.2;
};

constexpr float default_focal_length = 35.0f;

class Rasterizer {
public:
    explicit Rasterizer(RenderStyle style = {}) : style_(style) {}

    // Renders into target, which takes the given size.
    void render(const std::vector<WorldTriangle>& triangles, const CameraPose& pose, float focal_length,
                Vec3d light, int width, int height, Image& target);
    Image render(const std::vector<WorldTriangle>& triangles, const CameraPose& pose, float focal_length,
                 Vec3d light, int width, int height);
    // The scene through one of its camera entries, with the scene's light.
    Image render(const Scene& scene, const CameraEntry& camera, int width, int height);

    const RenderStyle& style() const { return style_; }

private:
    RenderStyle style_;
    std::vector<float> depth_;  // inverse view depth per pixel; 0 is infinitely far
};

}  // namespace simhost
