// Colours as people write them: a few names, or #rrggbb / #rgb in hex.
#pragma once

#include <optional>
#include <string>

#include "simhost/rendering/image.h"

namespace simhost {

// Names (any case): white, black, grey or gray, light-grey, dark-grey, red,
// green, blue, yellow, cyan, magenta, and slate (the renderer's own dark
// blue-grey). Nothing when the text is neither a name nor hex.
std::optional<Rgb> colour_named(const std::string& text);
// The names, for help texts.
std::string colour_names();

}  // namespace simhost
