// Small object movies the tool's tests build with the media layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objecttool/rgb_image.h"

namespace objecttool::testing {

// The 48-byte 'NAVG' record for a whole-turn grid from 90 down to -20
// degrees, with the initial view given in degrees.
std::vector<std::uint8_t> navg_record(int columns, int rows, double initial_pan = 0, double initial_tilt = 90);

// One colour per view, so any picture tells which frame it came from.
RgbImage view_picture(int width, int height, int index);

struct MovieSpec {
    int columns = 4, rows = 3;
    int frames = -1;                 // -1: columns x rows
    int width = 32, height = 24;
    bool jpeg = false;               // Photo-JPEG, else 'raw '
    std::string controller = "stna";
    bool flatten = true;             // movie atom first; else as recorded (media data first)
    double initial_pan = 0, initial_tilt = 90;  // the record's initial view
};

// Writes the movie to `path`; fails the calling test on error.
void write_object_movie(const std::string& path, const MovieSpec& spec);
// Flattens the movie at `recorded` into `path` with a 'NAVG' record added.
void add_object_record(const std::string& recorded, const std::string& path, int columns, int rows);

}  // namespace objecttool::testing
