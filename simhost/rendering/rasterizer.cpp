#include "simhost/rendering/rasterizer.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace simhost {

namespace {

using Triangle = Rasterizer::ScreenTriangle;

constexpr long long subpixel = 256;  // corner positions are kept in 1/256 sample
// Screen positions stay within this many samples of the centre, so corner
// products fit comfortably in 64 bits (2^28 squared, times two).
constexpr double guard_band = 1 << 20;
// Samples per band of an anti-aliased picture, so a large picture at 4 x 4
// samples never needs its whole sample grid at once.
constexpr long long band_samples = 1 << 22;

struct ViewVertex {
    double x, y, z;  // right, up, depth along the line of sight
};

// A polygon of up to 3 + one corner per clipping plane.
struct Polygon {
    std::array<ViewVertex, 8> v;
    int count = 0;
};

// Keeps the part of the polygon where inside(v) >= 0. The crossing point of
// an edge is computed from its inside end towards its outside end, so two
// triangles sharing that edge get the very same point whichever way round
// each of them holds it.
template <typename Distance>
Polygon clip(const Polygon& in, Distance inside) {
    Polygon out;
    for (int i = 0; i < in.count; ++i) {
        const ViewVertex& a = in.v[static_cast<std::size_t>(i)];
        const ViewVertex& b = in.v[static_cast<std::size_t>((i + 1) % in.count)];
        const double da = inside(a), db = inside(b);
        if (da >= 0) out.v[static_cast<std::size_t>(out.count++)] = a;
        if ((da >= 0) != (db >= 0)) {
            const ViewVertex& p = da >= 0 ? a : b;
            const ViewVertex& q = da >= 0 ? b : a;
            const double dp = da >= 0 ? da : db, dq = da >= 0 ? db : da;
            const double t = dp / (dp - dq);
            out.v[static_cast<std::size_t>(out.count++)] = {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t,
                                                            p.z + (q.z - p.z) * t};
        }
    }
    return out;
}

long long floor_div(long long a, long long b) {  // b > 0
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Twice the signed area of (a, b, p); positive when p lies to the right of a->b
// on a picture whose y axis points down.
long long edge(long long ax, long long ay, long long bx, long long by, long long px, long long py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// Of the two triangles sharing an edge, exactly one owns sample centres lying on it.
bool owns_edge(long long ax, long long ay, long long bx, long long by) {
    const long long dy = by - ay;
    return dy > 0 || (dy == 0 && bx - ax < 0);
}

Rgb shade(Rgb albedo, double brightness) {
    auto channel = [brightness](std::uint8_t c) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(c * brightness), 0L, 255L));
    };
    return {channel(albedo.r), channel(albedo.g), channel(albedo.b)};
}

// A band of the sample grid: rows [top, bottom) of a grid `width` samples wide.
struct Band {
    int width, top, bottom;
    std::uint8_t* rgb;  // row `top` first
    float* depth;
};

void fill_triangle(const Triangle& t, const Band& band) {
    long long x[3] = {t.x[0], t.x[1], t.x[2]}, y[3] = {t.y[0], t.y[1], t.y[2]};
    double iz[3] = {t.inverse_depth[0], t.inverse_depth[1], t.inverse_depth[2]};
    long long area = edge(x[0], y[0], x[1], y[1], x[2], y[2]);
    if (area == 0) return;
    if (area < 0) {
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
        std::swap(iz[1], iz[2]);
        area = -area;
    }
    // Sample s has its centre at s * 256 + 128.
    auto first_sample = [](long long lo) { return floor_div(lo - subpixel / 2 + subpixel - 1, subpixel); };
    auto last_sample = [](long long hi) { return floor_div(hi - subpixel / 2, subpixel); };
    const long long min_x = std::max<long long>(0, first_sample(std::min({x[0], x[1], x[2]})));
    const long long max_x = std::min<long long>(band.width - 1, last_sample(std::max({x[0], x[1], x[2]})));
    const long long min_y = std::max<long long>(band.top, first_sample(std::min({y[0], y[1], y[2]})));
    const long long max_y = std::min<long long>(band.bottom - 1, last_sample(std::max({y[0], y[1], y[2]})));
    if (min_x > max_x || min_y > max_y) return;

    // Edge i faces corner i: edges (1,2), (2,0), (0,1).
    const int from[3] = {1, 2, 0}, to[3] = {2, 0, 1};
    bool owned[3];
    long long step[3];  // change of an edge value from one sample to the next along a row
    for (int i = 0; i < 3; ++i) {
        owned[i] = owns_edge(x[from[i]], y[from[i]], x[to[i]], y[to[i]]);
        step[i] = -(y[to[i]] - y[from[i]]) * subpixel;
    }
    const double inv_area = 1.0 / static_cast<double>(area);
    const double depth_step =
        (static_cast<double>(step[0]) * iz[0] + static_cast<double>(step[1]) * iz[1] + static_cast<double>(step[2]) * iz[2]) *
        inv_area;

    for (long long row = min_y; row <= max_y; ++row) {
        const long long py = row * subpixel + subpixel / 2, px = min_x * subpixel + subpixel / 2;
        long long w[3];
        long long first = min_x, last = max_x;
        for (int i = 0; i < 3; ++i) {
            w[i] = edge(x[from[i]], y[from[i]], x[to[i]], y[to[i]], px, py);
            // Where along the row this edge value can be >= 0; the exact test below decides ties.
            if (step[i] > 0) {
                if (w[i] < 0) first = std::max(first, min_x + floor_div(-w[i] + step[i] - 1, step[i]));
            } else if (step[i] < 0) {
                if (w[i] < 0) first = max_x + 1;
                else last = std::min(last, min_x + floor_div(w[i], -step[i]));
            } else if (w[i] < 0) {
                first = max_x + 1;
            }
        }
        if (first > last) continue;
        for (int i = 0; i < 3; ++i) w[i] += step[i] * (first - min_x);
        double depth_at = (static_cast<double>(w[0]) * iz[0] + static_cast<double>(w[1]) * iz[1] +
                           static_cast<double>(w[2]) * iz[2]) *
                          inv_area;
        const std::size_t row_start = static_cast<std::size_t>(row - band.top) * static_cast<std::size_t>(band.width);
        for (long long s = first; s <= last; ++s, depth_at += depth_step) {
            const bool inside = (owned[0] ? w[0] >= 0 : w[0] > 0) && (owned[1] ? w[1] >= 0 : w[1] > 0) &&
                                (owned[2] ? w[2] >= 0 : w[2] > 0);
            for (int i = 0; i < 3; ++i) w[i] += step[i];
            if (!inside) continue;
            const std::size_t at = row_start + static_cast<std::size_t>(s);
            const auto inverse_depth = static_cast<float>(depth_at);
            if (inverse_depth <= band.depth[at]) continue;
            band.depth[at] = inverse_depth;
            std::uint8_t* p = band.rgb + at * 3;
            p[0] = t.colour.r;
            p[1] = t.colour.g;
            p[2] = t.colour.b;
        }
    }
}

void fill_background(std::uint8_t* rgb, std::size_t pixels, Rgb colour) {
    for (std::size_t i = 0; i < pixels; ++i) {
        rgb[i * 3] = colour.r;
        rgb[i * 3 + 1] = colour.g;
        rgb[i * 3 + 2] = colour.b;
    }
}

}  // namespace

Rasterizer::Rasterizer(RenderStyle style) : style_(style) {
    style_.samples_per_side = std::clamp(style_.samples_per_side, 1, max_samples_per_side);
}

void Rasterizer::render(const std::vector<WorldTriangle>& triangles, const CameraPose& pose, float focal_length,
                        Vec3d light, int width, int height, Image& target) {
    if (width <= 0 || height <= 0) {
        target = Image();
        return;
    }
    if (target.width != width || target.height != height) target = Image(width, height);
    const int n = style_.samples_per_side;
    const int grid_w = width * n, grid_h = height * n;

    const CameraBasis basis = camera_basis(pose);
    const double focal = (std::isfinite(focal_length) && focal_length > 0) ? focal_length : default_focal_length;
    const double samples_per_unit = focal / 18.0 * grid_w / 2.0;  // at depth 1
    const double centre_x = grid_w / 2.0, centre_y = grid_h / 2.0;
    // Near plane scaled to the camera's distance keeps depth precision useful at any scene size.
    const double near_plane = std::max(1e-6, 1e-3 * length(pose.target - pose.eye));
    const double reach = guard_band / samples_per_unit;  // |x| / z and |y| / z inside the guard band
    const Vec3d to_light = -normalized(light);

    screen_.clear();
    for (const WorldTriangle& t : triangles) {
        Polygon poly;
        for (const Vec3d& p : {t.a, t.b, t.c}) {
            const Vec3d d = p - pose.eye;
            poly.v[static_cast<std::size_t>(poly.count++)] = {dot(d, basis.right), dot(d, basis.up), dot(d, basis.forward)};
        }
        if (poly.v[0].z < near_plane && poly.v[1].z < near_plane && poly.v[2].z < near_plane) continue;
        poly = clip(poly, [&](const ViewVertex& v) { return v.z - near_plane; });
        poly = clip(poly, [&](const ViewVertex& v) { return reach * v.z - v.x; });
        poly = clip(poly, [&](const ViewVertex& v) { return reach * v.z + v.x; });
        poly = clip(poly, [&](const ViewVertex& v) { return reach * v.z - v.y; });
        poly = clip(poly, [&](const ViewVertex& v) { return reach * v.z + v.y; });
        if (poly.count < 3) continue;

        Vec3d normal = normalized(cross(t.b - t.a, t.c - t.a));
        if (dot(normal, pose.eye - t.a) < 0) normal = -normal;
        const double brightness = style_.ambient + (1.0 - style_.ambient) * std::max(0.0, dot(normal, to_light));
        const Rgb colour = shade(t.colour, brightness);

        std::array<long long, 8> sx{}, sy{};
        std::array<double, 8> iz{};
        for (int i = 0; i < poly.count; ++i) {
            const ViewVertex& v = poly.v[static_cast<std::size_t>(i)];
            sx[static_cast<std::size_t>(i)] = std::llround((centre_x + samples_per_unit * v.x / v.z) * subpixel);
            sy[static_cast<std::size_t>(i)] = std::llround((centre_y - samples_per_unit * v.y / v.z) * subpixel);
            iz[static_cast<std::size_t>(i)] = 1.0 / v.z;
        }
        for (std::size_t i = 1; i + 1 < static_cast<std::size_t>(poly.count); ++i)
            screen_.push_back({{sx[0], sx[i], sx[i + 1]}, {sy[0], sy[i], sy[i + 1]}, {iz[0], iz[i], iz[i + 1]}, colour});
    }

    // Bands of whole pixel rows, each rendered on the sample grid and, when
    // anti-aliasing, averaged down into the target.
    const long long rows_per_band =
        n == 1 ? height : std::clamp<long long>(band_samples / (static_cast<long long>(grid_w) * n * n), 1, height);
    for (int top = 0; top < height; top += static_cast<int>(rows_per_band)) {
        const int bottom = std::min(height, top + static_cast<int>(rows_per_band));
        const std::size_t band_size = static_cast<std::size_t>(grid_w) * static_cast<std::size_t>((bottom - top) * n);
        depth_.assign(band_size, 0.0f);
        std::uint8_t* rgb = &target.rgb[static_cast<std::size_t>(top) * static_cast<std::size_t>(width) * 3];
        if (n > 1) {
            samples_.resize(band_size * 3);
            rgb = samples_.data();
        }
        fill_background(rgb, band_size, style_.background);
        const Band band{grid_w, top * n, bottom * n, rgb, depth_.data()};
        for (const Triangle& t : screen_) fill_triangle(t, band);
        if (n == 1) continue;
        // Sum each pixel's N x N samples row by row, then round the mean.
        const int per_pixel = n * n;
        sums_.resize(static_cast<std::size_t>(width) * 3);
        for (int y = top; y < bottom; ++y) {
            std::fill(sums_.begin(), sums_.end(), 0);
            for (int j = 0; j < n; ++j) {
                const std::uint8_t* sample = rgb + static_cast<std::size_t>((y - top) * n + j) * static_cast<std::size_t>(grid_w) * 3;
                for (int x = 0; x < width; ++x)
                    for (int i = 0; i < n; ++i, sample += 3) {
                        sums_[static_cast<std::size_t>(x) * 3] += sample[0];
                        sums_[static_cast<std::size_t>(x) * 3 + 1] += sample[1];
                        sums_[static_cast<std::size_t>(x) * 3 + 2] += sample[2];
                    }
            }
            std::uint8_t* out = &target.rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3];
            for (std::size_t k = 0; k < sums_.size(); ++k)
                out[k] = static_cast<std::uint8_t>((sums_[k] + per_pixel / 2) / per_pixel);
        }
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
