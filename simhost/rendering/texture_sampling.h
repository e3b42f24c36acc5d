// Reading a texture's colour at a texture position.
#pragma once

#include "simhost/rendering/image.h"

namespace simhost {

// Bilinear between the four texels around (u, v); (0, 0) is the picture's
// top-left corner, (1, 1) its bottom-right, and the picture repeats beyond.
// A texel's own colour comes back exactly at its centre.
Rgb sample_bilinear(const Image& texture, double u, double v);

// colour scaled by tint / 255 in each channel (a white tint keeps it).
Rgb tinted(Rgb colour, Rgb tint);

}  // namespace simhost
