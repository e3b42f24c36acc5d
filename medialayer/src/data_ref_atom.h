// The data reference atom (dref) and the alias records that point a movie at
// another file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "medialayer/big_endian.h"
#include "movie_model.h"

namespace medialayer {

struct DrefAtom {
    std::vector<DataRef> refs;
    // Self references resolve to `movie_path`; relative names to its folder.
    // An alias or url that names no file leaves the entry's path empty.
    OSErr parse(const std::uint8_t* data, std::size_t size, const std::string& movie_path);
    // References naming `container_path` (or none) get the self flag; the
    // others an alias record with their absolute path.
    void write(ByteWriter& out, const std::string& container_path) const;
};

// An alias record (version 2) for `path`, and the path read back from one.
std::vector<std::uint8_t> make_alias_record(const std::string& path);
std::string path_from_alias_record(const std::uint8_t* data, std::size_t size, const std::string& movie_path);

}  // namespace medialayer
