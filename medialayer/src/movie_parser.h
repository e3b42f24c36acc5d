// Parsing a movie atom already in memory (load_movie_file reads it from a file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "movie_model.h"

namespace medialayer {

// `data` is the payload of a 'moov' atom; `path` the file it came from, where
// self data references point.
OSErr parse_movie_atom(const std::uint8_t* data, std::size_t size, const std::string& path, MovieModel& out);

}  // namespace medialayer
