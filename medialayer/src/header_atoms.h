// The fixed-layout header atoms of a movie: mvhd, tkhd, mdhd, hdlr, vmhd, elst.
// Each parses its payload bounds-checked and writes itself whole (header included).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "medialayer/big_endian.h"
#include "movie_model.h"

namespace medialayer {

struct MvhdAtom {
    MovieHeader header;
    OSErr parse(const std::uint8_t* data, std::size_t size);
    void write(ByteWriter& out) const;
};

struct TkhdAtom {
    std::uint32_t flags = 0;
    std::uint32_t creation_time = 0, modification_time = 0;
    std::uint32_t track_id = 0;
    std::int64_t duration = 0;  // movie time scale
    std::int16_t layer = 0, alternate_group = 0, volume = 0;
    MatrixRecord matrix;
    Fixed width = 0, height = 0;
    OSErr parse(const std::uint8_t* data, std::size_t size);
    void write(ByteWriter& out) const;
};

struct MdhdAtom {
    std::uint32_t creation_time = 0, modification_time = 0;
    TimeScale time_scale = 0;
    std::int64_t duration = 0;
    std::uint16_t language = 0, quality = 0;
    OSErr parse(const std::uint8_t* data, std::size_t size);
    void write(ByteWriter& out) const;
};

struct HdlrAtom {
    OSType component_type = 0;  // 'mhlr' or 'dhlr'
    OSType subtype = 0;         // 'vide', 'alis', ...
    OSType manufacturer = 0;
    std::string name;
    OSErr parse(const std::uint8_t* data, std::size_t size);
    // Written as QuickTime does: a Pascal string.
    void write(ByteWriter& out) const;
};

struct VmhdAtom {
    std::uint16_t graphics_mode = 0x40;
    std::uint16_t opcolor[3] = {0x8000, 0x8000, 0x8000};
    OSErr parse(const std::uint8_t* data, std::size_t size);
    void write(ByteWriter& out) const;
};

struct ElstAtom {
    std::vector<EditEntry> edits;
    OSErr parse(const std::uint8_t* data, std::size_t size);
    // Writes edts containing elst.
    void write_edts(ByteWriter& out) const;
};

}  // namespace medialayer
