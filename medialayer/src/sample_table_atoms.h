// The sample table atoms: stts, stss, stsc, stsz, stco/co64. Each holds its
// entries as stored; counts are checked against the bytes present before
// anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "medialayer/big_endian.h"
#include "movie_model.h"

namespace medialayer {

struct SttsAtom {
    struct Run {
        std::uint32_t count;
        std::uint32_t duration;
    };
    std::vector<Run> runs;
    OSErr parse(const std::uint8_t* data, std::size_t size);
    void write(ByteWriter& out) const;
};

struct StssAtom {
    std::vector<std::uint32_t> sync_samples;  // 1-based, ascending
    OSErr parse(const std::uint8_t* data, std::size_t size);
    void write(ByteWriter& out) const;
};

struct StscAtom {
    struct Run {
        std::uint32_t first_chunk;  // 1-based
        std::uint32_t samples_per_chunk;
        std::uint32_t description_index;  // 1-based
    };
    std::vector<Run> runs;
    OSErr parse(const std::uint8_t* data, std::size_t size);
    void write(ByteWriter& out) const;
};

struct StszAtom {
    std::uint32_t uniform_size = 0;  // non-zero: every sample has this size
    std::uint32_t count = 0;
    std::vector<std::uint32_t> sizes;  // when uniform_size is 0
    OSErr parse(const std::uint8_t* data, std::size_t size);
    void write(ByteWriter& out) const;
};

struct ChunkOffsetAtom {
    bool wide = false;  // co64
    std::vector<std::uint64_t> offsets;
    OSErr parse(const std::uint8_t* data, std::size_t size, bool is_co64);
    void write(ByteWriter& out) const;
};

}  // namespace medialayer
