// The colours of an indexed-colour QuickTime video format (Graphics 'smc ',
// 8-bit Animation, ...): the color table a sample description holds, or the
// Macintosh system table for its depth, or a grey ramp for grey depths.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "medialayer/movie_api.h"

namespace objecttool {

// 256 entries of 0xAARRGGBB; nullopt for formats that are not indexed.
std::optional<std::array<std::uint32_t, 256>> description_palette(const medialayer::SampleDescription& description);

}  // namespace objecttool
