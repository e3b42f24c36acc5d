#include "simhost/rasterizer.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace simhost {

namespace {

struct ViewVertex {
    double x, y, z;  // right, up, depth along the line of sight
};

struct ScreenVertex {
    double x, y, inverse_depth;
};

// Keeps the part of a triangle in front of the near plane: up to four corners.
int clip_near(const std::array<ViewVertex, 3>& in, double near_plane, std::array<ViewVertex, 4>& out) {
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        const ViewVertex& a = in[static_cast<std::size_t>(i)];
        const ViewVertex& b = in[static_cast<std::size_t>((i + 1) % 3)];
        const bool a_in = a.z >= near_plane;
        const bool b_in = b.z >= near_plane;
        if (a_in) out[static_cast<std::size_t>(count++)] = a;
        if (a_in != b_in) {
            const double t = (near_plane - a.z) / (b.z - a.z);
            out[static_cast<std::size_t>(count++)] = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, near_plane};
        }
    }
    return count;
}

double edge(const ScreenVertex& a, const ScreenVertex& b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// Of the two triangles sharing an edge, exactly one owns pixel centres lying on it.
bool owns_edge(const ScreenVertex& a, const ScreenVertex& b) {
    const double dy = b.y - a.y;
    return dy > 0 || (dy == 0 && b.x - a.x < 0);
}

Rgb shade(Rgb albedo, double brightness) {
    auto channel = [brightness](std::uint8_t c) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(c * brightness), 0L, 255L));
    };
    return {channel(albedo.r), channel(albedo.g), channel(albedo.b)};
}

void fill_triangle(ScreenVertex v0, ScreenVertex v1, ScreenVertex v2, Rgb colour, Image& target,
                   std::vector<float>& depth) {
    double area = edge(v0, v1, v2.x, v2.y);
    if (area == 0 || !std::isfinite(area)) return;
    if (area < 0) {
        std::swap(v1, v2);
        area = -area;
    }
    const int min_x = std::max(0, static_cast<int>(std::floor(std::min({v0.x, v1.x, v2.x}))));
    const int max_x = std::min(target.width - 1, static_cast<int>(std::ceil(std::max({v0.x, v1.x, v2.x}))));
    const int min_y = std::max(0, static_cast<int>(std::floor(std::min({v0.y, v1.y, v2.y}))));
    const int max_y = std::min(target.height - 1, static_cast<int>(std::ceil(std::max({v0.y, v1.y, v2.y}))));
    if (min_x > max_x || min_y > max_y) return;

    const bool own0 = owns_edge(v1, v2), own1 = owns_edge(v2, v0), own2 = owns_edge(v0, v1);
    // Edge functions are affine in x: step them along each row.
    const double step0 = -(v2.y - v1.y), step1 = -(v0.y - v2.y), step2 = -(v1.y - v0.y);
    const double inv_area = 1.0 / area;
    const double depth_step = (step0 * v0.inverse_depth + step1 * v1.inverse_depth + step2 * v2.inverse_depth) * inv_area;
    for (int y = min_y; y <= max_y; ++y) {
        const double py = y + 0.5, px = min_x + 0.5;
        const double e0 = edge(v1, v2, px, py), e1 = edge(v2, v0, px, py), e2 = edge(v0, v1, px, py);
        // Narrow the row to where all three edge functions can be non-negative
        // (a pixel of slack each side; the exact test below decides).
        double lo = min_x, hi = max_x;
        bool empty = false;
        for (const auto& [e, step] : {std::pair{e0, step0}, std::pair{e1, step1}, std::pair{e2, step2}}) {
            if (step > 0) lo = std::max(lo, min_x - e / step - 1);
            else if (step < 0) hi = std::min(hi, min_x - e / step + 1);
            else if (e < 0) empty = true;
        }
        if (empty || lo > hi) continue;
        const int first = static_cast<int>(std::floor(lo)), last = static_cast<int>(std::ceil(hi));
        const double skip = first - min_x;
        double w0 = e0 + step0 * skip, w1 = e1 + step1 * skip, w2 = e2 + step2 * skip;
        float* depth_row = &depth[static_cast<std::size_t>(y) * static_cast<std::size_t>(target.width)];
        std::uint8_t* pixel_row = &target.rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(target.width) * 3];
        // Inverse depth is affine in screen space too.
        double depth_at = (w0 * v0.inverse_depth + w1 * v1.inverse_depth + w2 * v2.inverse_depth) * inv_area;
        for (int x = first; x <= last; ++x, w0 += step0, w1 += step1, w2 += step2, depth_at += depth_step) {
            if (!(own0 ? w0 >= 0 : w0 > 0) || !(own1 ? w1 >= 0 : w1 > 0) || !(own2 ? w2 >= 0 : w2 > 0)) continue;
            const auto inverse_depth = static_cast<float>(depth_at);
            if (inverse_depth <= depth_row[x]) continue;
            depth_row[x] = inverse_depth;
            std::uint8_t* p = pixel_row + static_cast<std::size_t>(x) * 3;
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
        }
    }
}

}  // namespace

void Rasterizer::render(const std::vector<WorldTriangle>& triangles, const CameraPose& pose, float focal_length,
                        Vec3d light, int width, int height, Image& target) {
    if (width <= 0 || height <= 0) {
        target = Image();
        return;
    }
    if (target.width != width || target.height != height) {
        target = Image(width, height, style_.background);
    } else {
        for (std::size_t i = 0; i < target.rgb.size(); i += 3) {
            target.rgb[i] = style_.background.r;
            target.rgb[i + 1] = style_.background.g;
            target.rgb[i + 2] = style_.background.b;
        }
    }
    depth_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0.0f);

    const CameraBasis basis = camera_basis(pose);
    const double focal = (std::isfinite(focal_length) && focal_length > 0) ? focal_length : default_focal_length;
    const double pixels_per_unit = focal / 18.0 * width / 2.0;  // at depth 1
    const double centre_x = width / 2.0, centre_y = height / 2.0;
    // Near plane scaled to the camera's distance keeps depth precision useful at any scene size.
    const double near_plane = std::max(1e-6, 1e-3 * length(pose.target - pose.eye));
    const Vec3d to_light = -normalized(light);

    auto to_view = [&](Vec3d p) {
        const Vec3d d = p - pose.eye;
        return ViewVertex{dot(d, basis.right), dot(d, basis.up), dot(d, basis.forward)};
    };
    auto to_screen = [&](const ViewVertex& v) {
        return ScreenVertex{centre_x + pixels_per_unit * v.x / v.z, centre_y - pixels_per_unit * v.y / v.z, 1.0 / v.z};
    };

    for (const WorldTriangle& t : triangles) {
        std::array<ViewVertex, 3> view{to_view(t.a), to_view(t.b), to_view(t.c)};
        if (view[0].z < near_plane && view[1].z < near_plane && view[2].z < near_plane) continue;

        Vec3d normal = normalized(cross(t.b - t.a, t.c - t.a));
        if (dot(normal, pose.eye - t.a) < 0) normal = -normal;
        const double brightness = style_.ambient + (1.0 - style_.ambient) * std::max(0.0, dot(normal, to_light));
        const Rgb colour = shade(t.colour, brightness);

        std::array<ViewVertex, 4> clipped{};
        const int corners = clip_near(view, near_plane, clipped);
        if (corners < 3) continue;
        const ScreenVertex s0 = to_screen(clipped[0]);
        for (int i = 1; i + 1 < corners; ++i)
            fill_triangle(s0, to_screen(clipped[static_cast<std::size_t>(i)]),
                          to_screen(clipped[static_cast<std::size_t>(i + 1)]), colour, target, depth_);
    }
}

Image Rasterizer::render(const std::vector<WorldTriangle>& triangles, const CameraPose& pose, float focal_length,
                         Vec3d light, int width, int height) {
    Image image;
    render(triangles, pose, focal_length, light, width, height, image);
    return image;
}

Image Rasterizer::render(const Scene& scene, const CameraEntry& camera, int width, int height) {
    return render(scene.world_triangles(), camera.pose, camera.float_setting, scene.light, width, height);
}

}  // namespace simhost
