// A small bitmap font for the contact sheet's labels: digits, '.', '-', '/',
// space and the degree sign ('\xB0'), 5 x 7 pixels in 6 x 9 cells.
#pragma once

#include <string>

#include "objecttool/rgb_image.h"

namespace objecttool {

constexpr int glyph_advance = 6;
constexpr int glyph_line_height = 9;

int text_width(const std::string& text);
// Draws `text` with its top-left at (x, y) in `colour`, clipped to the image;
// characters without a glyph are left blank.
void draw_text(RgbImage& image, int x, int y, const std::string& text, const std::uint8_t (&colour)[3]);

}  // namespace objecttool
