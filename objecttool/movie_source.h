// Opens what archives hold as a movie: a plain movie file, one whose movie
// header is compressed ('cmov'), or a Mac copy with the movie in its resource
// fork (MacBinary, AppleSingle, AppleDouble). Reference movies hold no frames
// and are refused by naming the movies they point to.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "medialayer/movie_api.h"
#include "objecttool/mac_wrappers.h"

namespace objecttool {

struct MovieSource {
    std::unique_ptr<medialayer::MovieReader> reader;
    std::optional<MacWrapper> wrapper;
    bool compressed_header = false;
};

// Throws tool_error with one sentence when no movie can be read from `path`.
MovieSource open_movie_source(const std::string& path);

// The movies a reference movie's 'rmra' payload points to, as their names or URLs.
std::vector<std::string> reference_targets(const std::vector<std::uint8_t>& rmra);
// The 'moov' payload a 'cmov' payload expands to; nullopt when it is damaged
// or expands to more than `limit` bytes. Throws tool_error for another compressor.
std::optional<std::vector<std::uint8_t>> expand_movie_header(const std::vector<std::uint8_t>& cmov, std::size_t limit,
                                                             const std::string& path);

}  // namespace objecttool
