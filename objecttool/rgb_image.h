// An RGB picture, 8 bits per channel, rows top to bottom without padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace objecttool {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    RgbImage() = default;
    RgbImage(int w, int h, std::uint8_t fill = 0)
        : width(w), height(h), rgb(std::size_t(w) * std::size_t(h) * 3, fill) {}
    std::uint8_t* row(int y) { return rgb.data() + std::size_t(y) * std::size_t(width) * 3; }
    const std::uint8_t* row(int y) const { return rgb.data() + std::size_t(y) * std::size_t(width) * 3; }
};

// Each `factor` x `factor` block averaged into one pixel (the last partial
// blocks dropped); factor 1 returns the image unchanged.
RgbImage shrink_image(const RgbImage& image, int factor);

// Copies `source` into `target` with its top-left corner at (x, y), clipped.
void paste(RgbImage& target, const RgbImage& source, int x, int y);

}  // namespace objecttool
