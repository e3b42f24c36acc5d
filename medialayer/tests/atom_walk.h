// The tests' one walk over the atoms of a QuickTime file held in memory, so
// they can check a layout, or damage one on purpose, independently of the
// media layer's own reader. Used by the media layer's, the dispatcher's, the
// object movie writer's and the object tool's tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace atom_walk {

using Bytes = std::vector<std::uint8_t>;

inline std::uint32_t get32(const Bytes& bytes, std::size_t at) {
    return (std::uint32_t(bytes.at(at)) << 24) | (std::uint32_t(bytes.at(at + 1)) << 16) |
           (std::uint32_t(bytes.at(at + 2)) << 8) | bytes.at(at + 3);
}

inline void put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = std::uint8_t(value >> (24 - 8 * i));
}

struct AtomSpan {
    std::string type;
    std::uint64_t begin = 0;    // first byte of the header
    std::uint64_t payload = 0;  // first byte after the header
    std::uint64_t end = 0;      // one past the last byte
};

// The atoms in [begin, end). Stops at the first header that does not fit
// (a udta's trailing zero word, or damage); sizes are never trusted past `end`.
inline std::vector<AtomSpan> atoms_in(const Bytes& bytes, std::uint64_t begin, std::uint64_t end) {
    std::vector<AtomSpan> atoms;
    if (end > bytes.size()) end = bytes.size();
    std::uint64_t at = begin;
    while (at < end && end - at >= 8) {
        std::uint64_t size = get32(bytes, at);
        std::uint64_t header = 8;
        if (size == 1) {
            if (end - at < 16) break;
            size = (std::uint64_t(get32(bytes, at + 8)) << 32) | get32(bytes, at + 12);
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

inline std::vector<AtomSpan> atoms_in(const Bytes& bytes) { return atoms_in(bytes, 0, bytes.size()); }

inline std::vector<AtomSpan> atoms_in(const Bytes& bytes, const AtomSpan& parent) {
    return atoms_in(bytes, parent.payload, parent.end);
}

inline std::vector<std::string> types_of(const std::vector<AtomSpan>& atoms) {
    std::vector<std::string> types;
    for (const AtomSpan& a : atoms) types.push_back(a.type);
    return types;
}

inline const AtomSpan* find_atom(const std::vector<AtomSpan>& atoms, const char* type) {
    for (const AtomSpan& a : atoms)
        if (a.type == type) return &a;
    return nullptr;
}

// Offset of the header of the atom reached by `path` (e.g. {"moov", "trak",
// "mdia"}) through plain containers; npos when absent.
inline std::size_t find_atom(const Bytes& bytes, const std::vector<std::string>& path) {
    AtomSpan within{"", 0, 0, bytes.size()};
    for (const std::string& type : path) {
        const std::vector<AtomSpan> atoms = atoms_in(bytes, within);
        const AtomSpan* found = find_atom(atoms, type.c_str());
        if (!found) return std::string::npos;
        within = *found;
    }
    return std::size_t(within.begin);
}

}  // namespace atom_walk
