// Why a file that the movie reader refuses is not a movie, told from its
// top-level atoms alone: not a QuickTime movie at all (a text, an image, an
// empty file), or a movie whose last bytes are missing.
#pragma once

#include <optional>
#include <string>

namespace objecttool {

// " is not a QuickTime movie ...", " is truncated ...", or nothing when its
// top-level atoms look whole (the damage is further in).
std::optional<std::string> movie_shape_problem(const std::string& path);

}  // namespace objecttool
