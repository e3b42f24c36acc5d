#include "objecttool/qt_atom_container.h"

#include "medialayer/big_endian.h"
#include "quicktime/qt_types.h"

namespace objecttool {

namespace {

constexpr std::uint32_t root_type = four_cc("sean");

// The atom at the reader's position, its children read within its size.
bool parse_atom(const std::uint8_t* data, std::size_t size, int depth, QtAtom& out) {
    medialayer::ByteReader r(data, size);
    const std::uint32_t atom_size = r.u32();
    out.type = r.u32();
    out.id = r.u32();
    r.skip(2);
    const std::uint16_t child_count = r.u16();
    r.skip(4);
    if (!r.ok() || atom_size < QtAtom::header_size || atom_size > size) return false;
    const std::uint8_t* body = data + QtAtom::header_size;
    const std::size_t body_size = atom_size - QtAtom::header_size;
    if (child_count == 0) {
        out.data.assign(body, body + body_size);
        return true;
    }
    if (depth >= QtAtom::max_depth || child_count > body_size / QtAtom::header_size) return false;
    std::size_t at = 0;
    for (std::uint16_t i = 0; i < child_count; ++i) {
        QtAtom child;
        if (!parse_atom(body + at, body_size - at, depth + 1, child)) return false;
        at += child.size();
        out.children.push_back(std::move(child));
    }
    return true;
}

}  // namespace

const QtAtom* QtAtom::child(std::uint32_t wanted, std::optional<std::uint32_t> wanted_id) const {
    for (const auto& c : children)
        if (c.type == wanted && (!wanted_id || c.id == *wanted_id)) return &c;
    return nullptr;
}

std::size_t QtAtom::size() const {
    std::size_t total = header_size + (children.empty() ? data.size() : 0);
    for (const auto& c : children) total += c.size();
    return total;
}

void QtAtom::write(std::vector<std::uint8_t>& out) const {
    medialayer::ByteWriter w(out);
    w.u32(std::uint32_t(size()));
    w.u32(type);
    w.u32(id);
    w.u16(0);
    w.u16(std::uint16_t(children.size()));
    w.u32(0);
    if (children.empty()) out.insert(out.end(), data.begin(), data.end());
    for (const auto& c : children) c.write(out);
}

std::optional<QtAtomContainer> QtAtomContainer::parse(const std::uint8_t* data, std::size_t size) {
    auto root_at = [&](std::size_t at) {
        return size >= at + 8 && medialayer::ByteReader(data + at + 4, 4).u32() == root_type;
    };
    std::size_t at = root_at(header_size) ? header_size : root_at(0) ? 0 : size;
    if (at == size) return std::nullopt;
    QtAtomContainer container;
    if (!parse_atom(data + at, size - at, 0, container.root)) return std::nullopt;
    return container;
}

std::vector<std::uint8_t> QtAtomContainer::write() const {
    std::vector<std::uint8_t> out(header_size, 0);
    root.write(out);
    return out;
}

}  // namespace objecttool
