// Parsing a movie atom already in memory (load_movie_file reads it from a file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "movie_model.h"

namespace medialayer {

// A movie atom larger than this is refused rather than read into memory.
constexpr std::uint64_t max_movie_atom_bytes = 256u << 20;

// `data` is the payload of a 'moov' atom; `path` the file it came from, where
// self data references point.
OSErr parse_movie_atom(const std::uint8_t* data, std::size_t size, const std::string& path, MovieModel& out);

}  // namespace medialayer
