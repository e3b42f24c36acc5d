// QT atom containers, the tree QuickTime VR keeps its records in: a 12-byte
// container header, then atoms with 20-byte headers (size, type, ID, child
// count) whose leaves hold data. Children are found by type, never position.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace objecttool {

struct QtAtom {
    std::uint32_t type = 0;
    std::uint32_t id = 1;
    std::vector<QtAtom> children;
    std::vector<std::uint8_t> data;  // a leaf's bytes

    static constexpr std::size_t header_size = 20;
    static constexpr int max_depth = 16;

    // The first child of `type` (and `id` when given), or null.
    const QtAtom* child(std::uint32_t type, std::optional<std::uint32_t> id = std::nullopt) const;
    std::size_t size() const;
    void write(std::vector<std::uint8_t>& out) const;
};

struct QtAtomContainer {
    static constexpr std::size_t header_size = 12;  // 10 zero bytes and a lock count
    QtAtom root;  // 'sean'

    // nullopt when the bytes do not hold together. The container header may be
    // missing: some writers start with the root atom.
    static std::optional<QtAtomContainer> parse(const std::uint8_t* data, std::size_t size);
    static std::optional<QtAtomContainer> parse(const std::vector<std::uint8_t>& bytes) {
        return parse(bytes.data(), bytes.size());
    }
    std::vector<std::uint8_t> write() const;
};

}  // namespace objecttool
