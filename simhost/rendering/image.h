// An RGB picture, 8 bits per channel, rows top to bottom.
#pragma once

#include <cstdint>
#include <vector>


namespace simhost {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};


struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3

    Image() = default;
    Image(int w, int h, Rgb fill = {});

    Rgb at(int x, int y) const {
        const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
        return {p[0], p[1], p[2]};
    }
    void set(int x, int y, Rgb c) {
        std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
};

// A picture of the new size holding the old one's top-left corner; new area is fill.
Image resized_keeping_top_left(const Image& source, int width, int height, Rgb fill);

// Draws source into the rectangle [left, right) x [top, bottom) of target,
// scaled to the rectangle (nearest pixel) and clipped to target.
void draw_into(Image& target, const Image& source, int left, int top, int right, int bottom);

}  // namespace simhost
