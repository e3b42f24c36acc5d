#include "simhost/rendering/rasterizer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "simhost/rendering/parallel_work.h"
#include "simhost/rendering/texture_sampling.h"

namespace simhost {

namespace {

using Triangle = Rasterizer::ScreenTriangle;
using Shading = Rasterizer::Shading;

constexpr long long subpixel = 256;  // corner positions are kept in 1/256 sample
// Screen positions stay within this many samples of the centre, so corners fit
// in 32 bits and corner products comfortably in 64 (2^29 squared, times two).
constexpr double guard_band = 1 << 20;
constexpr int band_rows = 16;  // pixel rows a worker takes at a time
constexpr long long min_samples_per_worker = 150000;
// Neighbouring pixels of two triangles whose colours differ by more than this
// in a channel are taken to have an edge between them.
constexpr int edge_contrast = 2;

// A point in view space: right, up, depth along the line of sight, with what
// it carries for shading.
struct ViewVertex {
    double x, y, z;
    double n[3];
    double u, v;
};

ViewVertex mix(const ViewVertex& p, const ViewVertex& q, double t) {
    auto at = [t](double a, double b) { return a + (b - a) * t; };
    return {at(p.x, q.x), at(p.y, q.y), at(p.z, q.z), {at(p.n[0], q.n[0]), at(p.n[1], q.n[1]), at(p.n[2], q.n[2])},
            at(p.u, q.u), at(p.v, q.v)};
}

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
            out.v[static_cast<std::size_t>(out.count++)] = mix(p, q, dp / (dp - dq));
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

// Of the two triangles sharing an edge, exactly one owns points lying on it.
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

// Edge i faces corner i: edges (1,2), (2,0), (0,1).
constexpr int edge_from[3] = {1, 2, 0}, edge_to[3] = {2, 0, 1};

void edge_values(const Triangle& t, long long px, long long py, long long w[3]) {
    for (int i = 0; i < 3; ++i)
        w[i] = edge(t.x[edge_from[i]], t.y[edge_from[i]], t.x[edge_to[i]], t.y[edge_to[i]], px, py);
}

// Calls visit(i, j, w) for every point of the lattice (i * spacing + offset,
// j * spacing + offset), i in [x0, x1), j in [y0, y1), that the triangle
// covers, with its inverse view depth there.
template <typename Visit>
void cover(const Triangle& t, long long spacing, long long offset, int x0, int y0, int x1, int y1, Visit visit) {
    auto first_point = [&](long long lo) { return floor_div(lo - offset + spacing - 1, spacing); };
    auto last_point = [&](long long hi) { return floor_div(hi - offset, spacing); };
    const long long min_x = std::max<long long>(x0, first_point(std::min({t.x[0], t.x[1], t.x[2]})));
    const long long max_x = std::min<long long>(x1 - 1, last_point(std::max({t.x[0], t.x[1], t.x[2]})));
    const long long min_y = std::max<long long>(y0, first_point(std::min({t.y[0], t.y[1], t.y[2]})));
    const long long max_y = std::min<long long>(y1 - 1, last_point(std::max({t.y[0], t.y[1], t.y[2]})));
    if (min_x > max_x || min_y > max_y) return;
    bool owned[3];
    long long step[3];  // change of an edge value from one point to the next along a row
    for (int i = 0; i < 3; ++i) {
        owned[i] = owns_edge(t.x[edge_from[i]], t.y[edge_from[i]], t.x[edge_to[i]], t.y[edge_to[i]]);
        step[i] = -(static_cast<long long>(t.y[edge_to[i]]) - t.y[edge_from[i]]) * spacing;
    }
    const double depth_step = (static_cast<double>(step[0]) * t.inverse_depth[0] + static_cast<double>(step[1]) * t.inverse_depth[1] +
                               static_cast<double>(step[2]) * t.inverse_depth[2]) *
                              t.inverse_area;
    for (long long row = min_y; row <= max_y; ++row) {
        long long w0[3];
        edge_values(t, min_x * spacing + offset, row * spacing + offset, w0);
        long long first = min_x, last = max_x;
        for (int i = 0; i < 3; ++i) {
            // Where along the row this edge value can be >= 0; the exact test below decides ties.
            if (step[i] > 0) {
                if (w0[i] < 0) first = std::max(first, min_x + floor_div(-w0[i] + step[i] - 1, step[i]));
            } else if (step[i] < 0) {
                if (w0[i] < 0) first = max_x + 1;
                else last = std::min(last, min_x + floor_div(w0[i], -step[i]));
            } else if (w0[i] < 0) {
                first = max_x + 1;
            }
        }
        if (first > last) continue;
        long long w[3];
        for (int i = 0; i < 3; ++i) w[i] = w0[i] + step[i] * (first - min_x);
        // Depth goes in steps from the row's first point, as the edge values do.
        double depth = (static_cast<double>(w[0]) * t.inverse_depth[0] + static_cast<double>(w[1]) * t.inverse_depth[1] +
                        static_cast<double>(w[2]) * t.inverse_depth[2]) *
                       t.inverse_area;
        for (long long s = first; s <= last; ++s, depth += depth_step) {
            if ((owned[0] ? w[0] >= 0 : w[0] > 0) && (owned[1] ? w[1] >= 0 : w[1] > 0) && (owned[2] ? w[2] >= 0 : w[2] > 0))
                visit(static_cast<int>(s), static_cast<int>(row), static_cast<float>(depth));
            for (int i = 0; i < 3; ++i) w[i] += step[i];
        }
    }
}

}  // namespace

// What a worker keeps from one band to the next, so bands allocate nothing.
struct Rasterizer::BandScratch {
    std::vector<std::int32_t> shown;
    std::vector<float> depth;
    std::vector<Rgb> colour;
    std::vector<std::uint8_t> edge_pixel;
};

namespace {

using BandScratch = Rasterizer::BandScratch;

struct Frame {
    const std::vector<Triangle>* triangles;
    const std::vector<Shading>* shading;
    const std::vector<std::vector<std::uint32_t>>* bins;
    int width, height, n;
    Rgb background;
    double ambient;
    Vec3d to_light;
    Image* target;
};

// The colour of triangle t at the point (px, py) in 1/256 sample units.
Rgb colour_at(const Frame& f, const Triangle& t, long long px, long long py) {
    if (t.shading < 0) return t.colour;
    const Shading& s = (*f.shading)[static_cast<std::size_t>(t.shading)];
    long long w[3];
    edge_values(t, px, py, w);
    double b[3], sum = 0;
    for (int i = 0; i < 3; ++i) sum += b[i] = static_cast<double>(w[i]) * t.inverse_depth[i];
    for (double& v : b) v = sum > 0 ? v / sum : 1.0 / 3;
    // A point a little outside the triangle (a pixel centre it does not cover)
    // continues its surface; one far outside is brought back to its nearest corner mix.
    if (b[0] < -1 || b[1] < -1 || b[2] < -1) {
        double kept = 0;
        for (double& v : b) kept += v = std::max(v, 0.0);
        for (double& v : b) v = kept > 0 ? v / kept : 1.0 / 3;
    }
    double brightness = s.brightness;
    if (s.smooth) {
        double n[3];
        for (int k = 0; k < 3; ++k) n[k] = b[0] * s.normal[0][k] + b[1] * s.normal[1][k] + b[2] * s.normal[2][k];
        const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        const double facing = len > 0 ? (n[0] * f.to_light.x + n[1] * f.to_light.y + n[2] * f.to_light.z) / len : 0;
        brightness = f.ambient + (1.0 - f.ambient) * std::max(0.0, facing);
    }
    Rgb albedo = t.colour;
    if (s.texture) {
        const double u = b[0] * s.uv[0][0] + b[1] * s.uv[1][0] + b[2] * s.uv[2][0];
        const double v = b[0] * s.uv[0][1] + b[1] * s.uv[1][1] + b[2] * s.uv[2][1];
        albedo = tinted(sample_bilinear(*s.texture, u, v), t.colour);
    }
    return shade(albedo, brightness);
}

int contrast(Rgb a, Rgb b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

// One band of whole rows: every triangle of its bin at pixel centres (over the
// band and, when anti-aliasing, a row above and below it, to see the
// neighbours); smooth and textured pixels are shaded once, after the depth
// test; then, when anti-aliasing, the N x N samples of the pixels an edge
// crosses. Rows are computed the same way in any band, so the frame does not
// depend on how it is cut or who renders which band.
void render_band(const Frame& f, int band, BandScratch& scratch) {
    const int y0 = band * band_rows, y1 = std::min(f.height, y0 + band_rows);
    const int border = f.n > 1 ? 1 : 0;
    const int by0 = std::max(0, y0 - border), by1 = std::min(f.height, y1 + border);
    const int w = f.width, bh = by1 - by0;
    const std::vector<Triangle>& tris = *f.triangles;
    const std::vector<std::uint32_t>& bin = (*f.bins)[static_cast<std::size_t>(band)];
    const long long n = f.n;
    auto local = [&](int x, int y) { return static_cast<std::size_t>((y - by0) * w + x); };

    Image& target = *f.target;
    auto write = [&](int x, int y, Rgb c) {
        std::uint8_t* p = &target.rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)) * 3];
        p[0] = c.r, p[1] = c.g, p[2] = c.b;
    };
    bool deferred = false;  // some triangle is shaded per pixel
    for (const std::uint32_t index : bin) deferred = deferred || tris[index].shading >= 0;

    std::vector<std::int32_t>& shown = scratch.shown;
    std::vector<float>& depth = scratch.depth;
    std::vector<Rgb>& colour = scratch.colour;
    shown.assign(static_cast<std::size_t>(w * bh), -1);
    depth.assign(shown.size(), 0.0f);
    colour.assign(shown.size(), f.background);
    for (const std::uint32_t index : bin) {
        const Triangle& t = tris[index];
        cover(t, n * subpixel, n * subpixel / 2, 0, by0, w, by1, [&](int x, int y, float d) {
            const std::size_t at = local(x, y);
            if (d <= depth[at]) return;
            depth[at] = d;
            shown[at] = static_cast<std::int32_t>(index);
            colour[at] = t.colour;
        });
    }
    if (deferred)
        for (int y = by0; y < by1; ++y)
            for (int x = 0; x < w; ++x) {
                const std::size_t at = local(x, y);
                if (shown[at] >= 0 && tris[static_cast<std::size_t>(shown[at])].shading >= 0)
                    colour[at] = colour_at(f, tris[static_cast<std::size_t>(shown[at])], x * n * subpixel + n * subpixel / 2,
                                           y * n * subpixel + n * subpixel / 2);
            }
    if (f.n == 1) {
        static_assert(sizeof(Rgb) == 3, "a row of Rgb is a row of the picture");
        std::memcpy(&target.rgb[static_cast<std::size_t>(y0) * static_cast<std::size_t>(w) * 3], colour.data(), colour.size() * 3);
        return;
    }

    // Pixels with an edge: a neighbour shows another triangle in another colour.
    std::vector<std::uint8_t>& edge_pixel = scratch.edge_pixel;
    edge_pixel.assign(shown.size(), 0);
    constexpr int chunk = 64;  // pixels looked at together: most show one triangle and are passed over at once
    for (int y = by0; y < by1; ++y) {
        const bool last_row = y + 1 >= by1;
        for (int cx = 0; cx < w; cx += chunk) {
            const int end = std::min(w, cx + chunk);
            const std::int32_t* row = &shown[local(cx, y)];
            const std::int32_t* next = last_row ? row : row + w;
            std::int32_t differs = 0;
            for (int i = 0; i < end - cx - (end == w ? 1 : 0); ++i) differs |= row[i] ^ row[i + 1];
            for (int i = 0; i < end - cx; ++i) differs |= row[i] ^ next[i];
            if (differs == 0) continue;
            for (int x = cx; x < end; ++x) {
                const std::size_t at = local(x, y);
                const std::size_t right = at + 1, below = at + static_cast<std::size_t>(w);
                if (x + 1 < w && shown[right] != shown[at] && contrast(colour[right], colour[at]) > edge_contrast)
                    edge_pixel[at] = edge_pixel[right] = 1;
                if (!last_row && shown[below] != shown[at] && contrast(colour[below], colour[at]) > edge_contrast)
                    edge_pixel[at] = edge_pixel[below] = 1;
            }
        }
    }
    // Pixels without an edge are done.
    std::memcpy(&target.rgb[static_cast<std::size_t>(y0) * static_cast<std::size_t>(w) * 3], &colour[local(0, y0)],
                static_cast<std::size_t>((y1 - y0) * w) * 3);

    // Each edge pixel: its N x N samples against the triangles shown around it
    // (its own and its eight neighbours', in drawing order), nearest first and
    // the earlier drawn on a tie, as a full pass would decide them; then each
    // triangle found is shaded once, at the pixel's centre, so a surface split
    // into triangles shows no seam, and weighted by the samples it covers.
    const int per_pixel = f.n * f.n;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < w; ++x) {
            if (!edge_pixel[local(x, y)]) {
                // Eight at a time where none is an edge.
                std::uint64_t eight = 0;
                if (x + 8 <= w) std::memcpy(&eight, &edge_pixel[local(x, y)], 8);
                if (x + 8 <= w && eight == 0) x += 7;
                continue;
            }
            std::int32_t candidates[9];
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int qx = x + dx, qy = y + dy;
                    if (qx < 0 || qx >= w || qy < by0 || qy >= by1) continue;
                    const std::int32_t shown_there = shown[local(qx, qy)];
                    if (shown_there < 0 || std::find(candidates, candidates + count, shown_there) != candidates + count) continue;
                    // Kept in drawing order.
                    int at = count++;
                    for (; at > 0 && candidates[at - 1] > shown_there; --at) candidates[at] = candidates[at - 1];
                    candidates[at] = shown_there;
                }
            std::int32_t sample[max_samples_per_side * max_samples_per_side];
            float sample_depth[max_samples_per_side * max_samples_per_side];
            std::fill(sample, sample + per_pixel, -1);
            std::fill(sample_depth, sample_depth + per_pixel, 0.0f);
            for (int c = 0; c < count; ++c) {
                const Triangle& t = tris[static_cast<std::size_t>(candidates[c])];
                cover(t, subpixel, subpixel / 2, x * f.n, y * f.n, (x + 1) * f.n, (y + 1) * f.n,
                      [&](int sx, int sy, float d) {
                          const std::size_t at = static_cast<std::size_t>((sy - y * f.n) * f.n + sx - x * f.n);
                          if (d <= sample_depth[at]) return;
                          sample_depth[at] = d;
                          sample[at] = candidates[c];
                      });
            }
            int sums[3] = {0, 0, 0};
            for (int k = 0; k < per_pixel; ++k) {
                bool seen = false;
                for (int j = 0; j < k && !seen; ++j) seen = sample[j] == sample[k];
                if (seen) continue;
                int covered = 0;
                for (int j = k; j < per_pixel; ++j) covered += sample[j] == sample[k];
                const Rgb c = sample[k] < 0 ? f.background
                                            : colour_at(f, tris[static_cast<std::size_t>(sample[k])], x * n * subpixel + n * subpixel / 2,
                                                        y * n * subpixel + n * subpixel / 2);
                sums[0] += c.r * covered;
                sums[1] += c.g * covered;
                sums[2] += c.b * covered;
            }
            write(x, y, {static_cast<std::uint8_t>((sums[0] + per_pixel / 2) / per_pixel),
                         static_cast<std::uint8_t>((sums[1] + per_pixel / 2) / per_pixel),
                         static_cast<std::uint8_t>((sums[2] + per_pixel / 2) / per_pixel)});
        }
}

}  // namespace

Rasterizer::~Rasterizer() = default;
Rasterizer::Rasterizer(const Rasterizer& other) : style_(other.style_) {}
Rasterizer& Rasterizer::operator=(const Rasterizer& other) {
    style_ = other.style_;
    return *this;
}

Rasterizer::Rasterizer(RenderStyle style) : style_(style) {
    style_.samples_per_side = std::clamp(style_.samples_per_side, 1, max_samples_per_side);
}

void Rasterizer::render(const std::vector<PlacedMesh>& meshes, const CameraPose& pose, float focal_length, Vec3d light,
                        int width, int height, Image& target) {
    if (width <= 0 || height <= 0) {
        target = Image();
        return;
    }
    if (target.width != width || target.height != height) target = Image(width, height);
    const int n = style_.samples_per_side;
    const int grid_w = width * n;

    const CameraBasis basis = camera_basis(pose);
    const double focal = (std::isfinite(focal_length) && focal_length > 0) ? focal_length : default_focal_length;
    const double samples_per_unit = focal / 18.0 * grid_w / 2.0;  // at depth 1
    const double centre_x = grid_w / 2.0, centre_y = height * n / 2.0;
    // Near plane scaled to the camera's distance keeps depth precision useful at any scene size.
    const double distance = length(pose.target - pose.eye);
    const double near_plane = distance > 0 ? 1e-3 * distance : 1e-300;
    const double reach = guard_band / samples_per_unit;  // |x| / z and |y| / z inside the guard band
    const Vec3d to_light = -normalized(light);

    screen_.clear();
    shading_.clear();
    std::vector<Vec3d> placed, normals;
    for (const PlacedMesh& part : meshes) {
        const Mesh& mesh = *part.mesh;
        placed.clear();
        normals.clear();
        for (const Vec3d& v : mesh.vertices) placed.push_back(transform_point(v, part.world));
        const bool smooth = mesh.normals.size() == mesh.vertices.size();
        const bool mapped = mesh.uvs.size() == mesh.vertices.size();
        if (smooth) {
            const Mat4d turn = normal_matrix(part.world);
            for (const Vec3& v : mesh.normals) normals.push_back(normalized(transform_direction(to_d(v), turn)));
        }
        for (const Mesh::Face& face : mesh.faces) {
            const int corner[3] = {face.a, face.b, face.c};
            const Vec3d& a = placed[static_cast<std::size_t>(face.a)];
            Vec3d normal = normalized(cross(placed[static_cast<std::size_t>(face.b)] - a, placed[static_cast<std::size_t>(face.c)] - a));
            if (dot(normal, pose.eye - a) < 0) normal = -normal;
            const Texture* texture =
                mapped && face.texture >= 0 && static_cast<std::size_t>(face.texture) < mesh.textures.size()
                    ? mesh.textures[static_cast<std::size_t>(face.texture)].get()
                    : nullptr;
            // Corner normals pointing away from the camera-facing side are turned with it.
            double turn = 1;
            if (smooth) {
                Vec3d sum;
                for (const int k : corner) sum = sum + normals[static_cast<std::size_t>(k)];
                turn = dot(sum, normal) < 0 ? -1 : 1;
            }
            Polygon poly;
            for (const int k : corner) {
                const Vec3d d = placed[static_cast<std::size_t>(k)] - pose.eye;
                ViewVertex v{dot(d, basis.right), dot(d, basis.up), dot(d, basis.forward), {0, 0, 0}, 0, 0};
                if (smooth) {
                    const Vec3d& nk = normals[static_cast<std::size_t>(k)];
                    v.n[0] = nk.x * turn, v.n[1] = nk.y * turn, v.n[2] = nk.z * turn;
                }
                if (texture) v.u = mesh.uvs[static_cast<std::size_t>(k)].u, v.v = mesh.uvs[static_cast<std::size_t>(k)].v;
                poly.v[static_cast<std::size_t>(poly.count++)] = v;
            }
            if (poly.v[0].z < near_plane && poly.v[1].z < near_plane && poly.v[2].z < near_plane) continue;
            poly = clip(poly, [&](const ViewVertex& v) { return v.z - near_plane; });
            poly = clip(poly, [&](const ViewVertex& v) { return reach * v.z - v.x; });
            poly = clip(poly, [&](const ViewVertex& v) { return reach * v.z + v.x; });
            poly = clip(poly, [&](const ViewVertex& v) { return reach * v.z - v.y; });
            poly = clip(poly, [&](const ViewVertex& v) { return reach * v.z + v.y; });
            if (poly.count < 3) continue;

            const double brightness = style_.ambient + (1.0 - style_.ambient) * std::max(0.0, dot(normal, to_light));
            std::array<std::int32_t, 8> sx{}, sy{};
            std::array<double, 8> iz{};
            for (int i = 0; i < poly.count; ++i) {
                const ViewVertex& v = poly.v[static_cast<std::size_t>(i)];
                sx[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::llround((centre_x + samples_per_unit * v.x / v.z) * subpixel));
                sy[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::llround((centre_y - samples_per_unit * v.y / v.z) * subpixel));
                iz[static_cast<std::size_t>(i)] = 1.0 / v.z;
            }
            for (std::size_t i = 1; i + 1 < static_cast<std::size_t>(poly.count); ++i) {
                std::size_t k[3] = {0, i, i + 1};
                const long long area = edge(sx[k[0]], sy[k[0]], sx[k[1]], sy[k[1]], sx[k[2]], sy[k[2]]);
                if (area == 0) continue;
                if (area < 0) std::swap(k[1], k[2]);
                Triangle t{{sx[k[0]], sx[k[1]], sx[k[2]]}, {sy[k[0]], sy[k[1]], sy[k[2]]}, {iz[k[0]], iz[k[1]], iz[k[2]]},
                           1.0 / static_cast<double>(std::abs(area)), shade(face.colour, brightness), -1};
                if (smooth || texture) {
                    Shading s{};
                    for (int c = 0; c < 3; ++c) {
                        const ViewVertex& v = poly.v[k[c]];
                        for (int j = 0; j < 3; ++j) s.normal[c][j] = static_cast<float>(v.n[j]);
                        s.uv[c][0] = static_cast<float>(v.u);
                        s.uv[c][1] = static_cast<float>(v.v);
                    }
                    s.smooth = smooth;
                    s.brightness = brightness;
                    s.texture = texture;
                    t.colour = face.colour;
                    t.shading = static_cast<std::int32_t>(shading_.size());
                    shading_.push_back(s);
                }
                screen_.push_back(t);
            }
        }
    }

    // Each triangle goes to the bands its rows meet, widened by a row because
    // a band looks at the rows around it.
    const int bands = (height + band_rows - 1) / band_rows;
    bins_.resize(static_cast<std::size_t>(bands));
    for (std::vector<std::uint32_t>& bin : bins_) bin.clear();
    const long long pixel = n * subpixel;
    for (std::size_t i = 0; i < screen_.size(); ++i) {
        const Triangle& t = screen_[i];
        const long long lo_x = floor_div(std::min({t.x[0], t.x[1], t.x[2]}), pixel) - 1;
        const long long hi_x = floor_div(std::max({t.x[0], t.x[1], t.x[2]}), pixel) + 1;
        const long long lo_y = floor_div(std::min({t.y[0], t.y[1], t.y[2]}), pixel) - 1;
        const long long hi_y = floor_div(std::max({t.y[0], t.y[1], t.y[2]}), pixel) + 1;
        if (hi_x < 0 || hi_y < 0 || lo_x >= width || lo_y >= height) continue;
        const int r0 = static_cast<int>(std::max(0LL, lo_y) / band_rows), r1 = static_cast<int>(std::min<long long>(height - 1, hi_y) / band_rows);
        for (int r = r0; r <= r1; ++r) bins_[static_cast<std::size_t>(r)].push_back(static_cast<std::uint32_t>(i));
    }

    const Frame frame{&screen_, &shading_, &bins_, width, height, n, style_.background, style_.ambient, to_light, &target};
    // Starting a thread costs about as much as rendering a few hundred thousand
    // samples; a small frame is rendered by fewer workers (the bytes are the same).
    const long long samples = static_cast<long long>(width) * height * n * n;
    const int workers = static_cast<int>(std::clamp<long long>(samples / min_samples_per_worker, 1,
                                                               style_.threads > 0 ? style_.threads : available_cores()));
    while (scratch_.size() < static_cast<std::size_t>(workers)) scratch_.push_back(std::make_unique<BandScratch>());
    run_pieces(bands, workers, [&](int band, int worker) { render_band(frame, band, *scratch_[static_cast<std::size_t>(worker)]); });
}

Image Rasterizer::render(const std::vector<WorldTriangle>& triangles, const CameraPose& pose, float focal_length,
                         Vec3d light, int width, int height) {
    Mesh mesh;
    for (const WorldTriangle& t : triangles) mesh.add_triangle(t.a, t.b, t.c, t.colour);
    Image image;
    render({PlacedMesh{&mesh, Mat4d{}}}, pose, focal_length, light, width, height, image);
    return image;
}

Image Rasterizer::render(const Scene& scene, const CameraEntry& camera, int width, int height) {
    Image image;
    render(scene.placed_meshes(), camera.pose, camera.float_setting, scene.light, width, height, image);
    return image;
}

}  // namespace simhost
