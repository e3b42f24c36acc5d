#include "sample_description_atom.h"

#include <algorithm>

namespace medialayer {
namespace {

constexpr std::size_t entry_header = 16;   // size, format, 6 reserved, data reference index

OSErr parse_video(ByteReader& r, SampleDescriptionRecord& d) {
    d.video = true;
    d.version = r.u16();
    d.revision = r.u16();
    d.vendor = r.u32();
    d.temporal_quality = r.u32();
    d.spatial_quality = r.u32();
    d.width = r.u16();
    d.height = r.u16();
    d.horizontal_resolution = r.s32();
    d.vertical_resolution = r.s32();
    d.data_size = r.u32();
    d.frame_count = r.u16();
    auto name = r.bytes(32);
    d.depth = r.s16();
    d.color_table_id = r.s16();
    if (!r.ok()) return badImageDescription;
    std::size_t n = std::min<std::size_t>(name[0], 31);
    d.compressor_name.assign(name.begin() + 1, name.begin() + 1 + std::ptrdiff_t(n));
    d.extra = r.bytes(r.remaining());
    return noErr;
}

}  // namespace

OSErr StsdAtom::parse(const std::uint8_t* data, std::size_t size, bool video) {
    ByteReader r(data, size);
    r.skip(4);
    std::uint32_t count = r.u32();
    if (!r.ok() || count > r.remaining() / entry_header) return invalidMovie;
    entries.clear();
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::size_t start = r.position();
        std::uint32_t entry_size = r.u32();
        if (!r.ok() || entry_size < entry_header || entry_size - 4 > r.remaining()) return invalidMovie;
        ByteReader e(data + start + 4, entry_size - 4);
        r.skip(entry_size - 4);
        Entry entry;
        entry.record.format = e.u32();
        e.skip(6);
        entry.data_ref_index = e.u16();
        if (!e.ok()) return invalidMovie;
        if (video) {
            if (OSErr err = parse_video(e, entry.record)) return err;
        } else {
            entry.record.video = false;
            entry.record.extra = e.bytes(e.remaining());
        }
        entries.push_back(std::move(entry));
    }
    return noErr;
}

void StsdAtom::write(ByteWriter& out) const {
    auto at = out.begin_atom(fourcc("stsd"));
    out.u32(0);
    out.u32(std::uint32_t(entries.size()));
    for (const auto& entry : entries) {
        const auto& d = entry.record;
        auto e = out.begin_atom(d.format);
        out.zeros(6);
        out.u16(entry.data_ref_index);
        if (d.video) {
            out.u16(d.version);
            out.u16(d.revision);
            out.u32(d.vendor);
            out.u32(d.temporal_quality);
            out.u32(d.spatial_quality);
            out.u16(d.width);
            out.u16(d.height);
            out.u32(std::uint32_t(d.horizontal_resolution));
            out.u32(std::uint32_t(d.vertical_resolution));
            out.u32(d.data_size);
            out.u16(d.frame_count);
            std::size_t n = std::min<std::size_t>(d.compressor_name.size(), 31);
            out.u8(std::uint8_t(n));
            out.bytes(d.compressor_name.data(), n);
            out.zeros(31 - n);
            out.u16(std::uint16_t(d.depth));
            out.u16(std::uint16_t(d.color_table_id));
        }
        out.bytes(d.extra);
        out.end_atom(e);
    }
    out.end_atom(at);
}

}  // namespace medialayer
