// Value records exchanged with the host, laid out exactly as the host lays them out.
#pragma once

#include <cstdint>

#include "geometry/vec.h"

struct ImageSize {
    std::int32_t width;
    std::int32_t height;
};

struct ImageRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

static_assert(sizeof(ImageSize) == 8, "ImageSize is two 32-bit integers");
static_assert(sizeof(ImageRect) == 16, "ImageRect is four 32-bit integers");
