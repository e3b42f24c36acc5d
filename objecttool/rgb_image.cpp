#include "objecttool/rgb_image.h"

#include <algorithm>
#include <cstring>

namespace objecttool {

RgbImage shrink_image(const RgbImage& image, int factor) {
    if (factor <= 1) return image;
    RgbImage out(std::max(1, image.width / factor), std::max(1, image.height / factor));
    const int fx = std::min(factor, image.width), fy = std::min(factor, image.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c) {
                unsigned sum = 0;
                for (int j = 0; j < fy; ++j) {
                    const std::uint8_t* p = image.row(y * fy + j) + std::size_t(x * fx) * 3 + std::size_t(c);
                    for (int i = 0; i < fx; ++i) sum += p[std::size_t(i) * 3];
                }
                out.row(y)[std::size_t(x) * 3 + std::size_t(c)] = std::uint8_t(sum / unsigned(fx * fy));
            }
    return out;
}

void paste(RgbImage& target, const RgbImage& source, int x, int y) {
    const int left = std::max(0, x), right = std::min(target.width, x + source.width);
    if (left >= right) return;
    for (int sy = std::max(0, -y); sy < source.height && y + sy < target.height; ++sy)
        std::memcpy(target.row(y + sy) + std::size_t(left) * 3, source.row(sy) + std::size_t(left - x) * 3,
                    std::size_t(right - left) * 3);
}

}  // namespace objecttool
