#include "simhost/rendering/texture_sampling.h"

#include <cmath>

namespace simhost {

namespace {

int wrap(long long i, int size) {
    const long long m = i % size;
    return static_cast<int>(m < 0 ? m + size : m);
}

}  // namespace

Rgb sample_bilinear(const Image& texture, double u, double v) {
    if (texture.width <= 0 || texture.height <= 0 || !std::isfinite(u) || !std::isfinite(v)) return {255, 255, 255};
    // Keep the position small so the texel index fits; the picture repeats anyway.
    const double x = (u - std::floor(u)) * texture.width - 0.5, y = (v - std::floor(v)) * texture.height - 0.5;
    const double fx = std::floor(x), fy = std::floor(y);
    const double ax = x - fx, ay = y - fy;
    const int x0 = wrap(static_cast<long long>(fx), texture.width), x1 = wrap(static_cast<long long>(fx) + 1, texture.width);
    const int y0 = wrap(static_cast<long long>(fy), texture.height), y1 = wrap(static_cast<long long>(fy) + 1, texture.height);
    const Rgb c00 = texture.at(x0, y0), c10 = texture.at(x1, y0), c01 = texture.at(x0, y1), c11 = texture.at(x1, y1);
    auto mix = [&](std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
        const double top = a + (b - a) * ax, bottom = c + (d - c) * ax;
        return static_cast<std::uint8_t>(std::lround(top + (bottom - top) * ay));
    };
    return {mix(c00.r, c10.r, c01.r, c11.r), mix(c00.g, c10.g, c01.g, c11.g), mix(c00.b, c10.b, c01.b, c11.b)};
}

Rgb tinted(Rgb colour, Rgb tint) {
    auto channel = [](int c, int t) { return static_cast<std::uint8_t>((c * t + 127) / 255); };
    return {channel(colour.r, tint.r), channel(colour.g, tint.g), channel(colour.b, tint.b)};
}

}  // namespace simhost
