// Splitting QuickTime atoms: the children of a container held in memory, and
// the top-level atoms of a file read header by header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"

namespace medialayer {

struct AtomSpan {
    OSType type = 0;
    const std::uint8_t* payload = nullptr;
    std::size_t size = 0;  // payload bytes, header excluded
    std::uint8_t header_size = 8;  // 8, or 16 with a 64-bit size
};

// Splits a container's payload into child atoms: 32-bit sizes, 64-bit sizes
// (size 1), size 0 meaning "to the end of the parent". A remainder shorter
// than an atom header ends the list (udta's trailing zero word). invalidMovie
// when a child claims more bytes than its parent holds.
OSErr split_atoms(const std::uint8_t* data, std::size_t size, std::vector<AtomSpan>& out);

struct FileAtom {
    OSType type = 0;
    std::uint64_t offset = 0;       // of the atom header
    std::uint32_t header_size = 8;  // 8, or 16 with a 64-bit size
    std::uint64_t size = 0;         // whole atom
};

// Lists the top-level atoms of a file. A last atom that runs past the end of
// the file is kept with its claimed size (the caller decides: a movie atom must
// be complete, media data may be truncated). invalidMovie for a malformed header.
OSErr scan_file_atoms(const MovieFile& file, std::uint64_t file_size, std::vector<FileAtom>& out);
// Opens `path` for reading into `file`, measures it and lists its top-level atoms.
OSErr open_and_scan_atoms(const std::string& path, MovieFile& file, std::uint64_t& file_size,
                          std::vector<FileAtom>& out);

}  // namespace medialayer
