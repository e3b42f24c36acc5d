// The sample description atom (stsd): one entry per description, each naming
// the data reference its samples are read through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "medialayer/big_endian.h"
#include "movie_model.h"

namespace medialayer {

struct StsdAtom {
    struct Entry {
        SampleDescriptionRecord record;
        std::uint16_t data_ref_index = 1;
    };
    std::vector<Entry> entries;
    // `video`: parse the image description fields (media type 'vide').
    OSErr parse(const std::uint8_t* data, std::size_t size, bool video);
    void write(ByteWriter& out) const;
};

}  // namespace medialayer
