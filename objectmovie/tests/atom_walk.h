// Walks the atoms of a QuickTime file held in memory, so tests can check the
// layout the writer produced independently of the media layer's reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objectmovie/big_endian.h"

struct AtomSpan {
    std::string type;
    std::uint64_t begin = 0;     // first byte of the header
    std::uint64_t payload = 0;   // first byte after the header
    std::uint64_t end = 0;       // one past the last byte
};

// The atoms in [begin, end). Stops at the first header that does not fit
// (a udta's trailing zero word, or damage); sizes are never trusted past `end`.
inline std::vector<AtomSpan> atoms_in(const std::vector<std::uint8_t>& bytes, std::uint64_t begin,
                                      std::uint64_t end) {
    std::vector<AtomSpan> atoms;
    if (end > bytes.size()) end = bytes.size();
    std::uint64_t at = begin;
    while (end - at >= 8 && at < end) {
        std::uint64_t size = big_endian::get_u32(&bytes[at]);
        std::uint64_t header = 8;
        if (size == 1) {
            if (end - at < 16) break;
            size = (std::uint64_t(big_endian::get_u32(&bytes[at + 8])) << 32) | big_endian::get_u32(&bytes[at + 12]);
            header = 16;
        } else if (size == 0) {
            size = end - at;
        }
        if (size < header || size > end - at) break;
        atoms.push_back({std::string(reinterpret_cast<const char*>(&bytes[at + 4]), 4), at, at + header, at + size});
        at += size;
    }
    return atoms;
}

inline std::vector<AtomSpan> atoms_in(const std::vector<std::uint8_t>& bytes, const AtomSpan& parent) {
    return atoms_in(bytes, parent.payload, parent.end);
}

inline std::vector<std::string> types_of(const std::vector<AtomSpan>& atoms) {
    std::vector<std::string> types;
    for (const AtomSpan& a : atoms) types.push_back(a.type);
    return types;
}

inline const AtomSpan* find_atom(const std::vector<AtomSpan>& atoms, const char* type) {
    for (const AtomSpan& a : atoms) {
        if (a.type == type) return &a;
    }
    return nullptr;
}
