// The contact sheet: every view's frame as a thumbnail, laid out as the
// object grid (one line per tilt row), each labelled with its pan/tilt.
#pragma once

#include <string>

#include "objecttool/object_movie.h"
#include "objecttool/rgb_image.h"

namespace objecttool {

struct SheetOptions {
    int columns_step = 1;  // every n-th column and row, for big grids
    int rows_step = 1;
    int shrink = 0;        // 1, 2, 4 or 8; 0 picks the largest that keeps thumbnails 120 pixels wide
};

// "15°/80.8°" with the degree sign as '\xB0', the label font's glyph.
std::string view_label(double pan, double tilt);
int automatic_shrink(int frame_width);

// Throws tool_error.
RgbImage render_contact_sheet(ObjectMovie& movie, const SheetOptions& options);
// Reads the movie, renders the sheet and writes it as PNG; nothing is written on failure.
void write_contact_sheet(const std::string& movie_path, const std::string& png_path, const SheetOptions& options);

}  // namespace objecttool
