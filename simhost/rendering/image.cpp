#include "simhost/rendering/image.h"

#include <algorithm>
#include <cstring>

namespace simhost {

Image::Image(int w, int h, Rgb fill) : width(w), height(h), rgb(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3) {
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = fill.r;
        rgb[i + 1] = fill.g;
        rgb[i + 2] = fill.b;
    }
}

Image resized_keeping_top_left(const Image& source, int width, int height, Rgb fill) {
    Image result(width, height, fill);
    const int w = std::min(width, source.width);
    const int h = std::min(height, source.height);
    for (int y = 0; y < h; ++y)
        std::memcpy(&result.rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3],
                    &source.rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(source.width) * 3],
                    static_cast<std::size_t>(w) * 3);
    return result;
}

void draw_into(Image& target, const Image& source, int left, int top, int right, int bottom) {
    const int rect_w = right - left;
    const int rect_h = bottom - top;
    if (rect_w <= 0 || rect_h <= 0 || source.width <= 0 || source.height <= 0) return;
    for (int y = std::max(top, 0); y < std::min(bottom, target.height); ++y) {
        const int sy = static_cast<int>(static_cast<long long>(y - top) * source.height / rect_h);
        for (int x = std::max(left, 0); x < std::min(right, target.width); ++x) {
            const int sx = static_cast<int>(static_cast<long long>(x - left) * source.width / rect_w);
            target.set(x, y, source.at(sx, sy));
        }
    }
}

}  // namespace simhost
