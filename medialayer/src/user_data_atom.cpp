#include "user_data_atom.h"

#include "atom_reader.h"

namespace medialayer {

OSErr UdtaAtom::parse(const std::uint8_t* data, std::size_t size) {
    std::vector<AtomSpan> children;
    if (OSErr err = split_atoms(data, size, children)) return err;
    items.clear();
    items.reserve(children.size());
    for (const auto& child : children)
        items.push_back({child.type, std::vector<std::uint8_t>(child.payload, child.payload + child.size)});
    return noErr;
}

void UdtaAtom::write(ByteWriter& out) const {
    auto at = out.begin_atom(fourcc("udta"));
    for (const auto& item : items) {
        auto i = out.begin_atom(item.type);
        out.bytes(item.data);
        out.end_atom(i);
    }
    out.u32(0);
    out.end_atom(at);
}

}  // namespace medialayer
