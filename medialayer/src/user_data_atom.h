// The user data list (udta): items in order, each an atom whose payload is
// kept exactly as given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "medialayer/big_endian.h"
#include "movie_model.h"

namespace medialayer {

struct UdtaAtom {
    std::vector<UserDataItem> items;
    // Accepts the list with or without its trailing zero word.
    OSErr parse(const std::uint8_t* data, std::size_t size);
    // Writes the items and the trailing zero word, as QuickTime does.
    void write(ByteWriter& out) const;
};

}  // namespace medialayer
