// Turns a MovieModel into the bytes of its 'moov' atom.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "movie_model.h"

namespace medialayer {

// `container_path` is the file the atom will live in: data references that
// name it are written as self references. Chunk offsets are written as 'co64'
// when `wide_offsets` is set or any offset needs more than 32 bits.
// The 'ftyp' atom that opens the files we write: brand 'qt  '.
std::vector<std::uint8_t> file_type_atom();

// Empty when an atom would pass the 4 GiB its 32-bit size can say.
std::vector<std::uint8_t> serialize_movie(const MovieModel& movie, const std::string& container_path,
                                          bool wide_offsets = false);

}  // namespace medialayer
