#include "header_atoms.h"

#include <limits>

namespace medialayer {
namespace {

bool fits32(std::int64_t v) { return v >= 0 && v <= std::int64_t(std::numeric_limits<std::uint32_t>::max()); }

void read_matrix(ByteReader& r, MatrixRecord& m) {
    for (auto& v : m.m) v = r.s32();
}
void write_matrix(ByteWriter& w, const MatrixRecord& m) {
    for (auto v : m.m) w.u32(std::uint32_t(v));
}

// Reads a version-dependent time pair and duration; 64-bit fields for version 1.
bool read_times(ByteReader& r, std::uint8_t version, std::uint32_t& created, std::uint32_t& modified) {
    if (version == 1) {
        created = std::uint32_t(r.u64());
        modified = std::uint32_t(r.u64());
    } else {
        created = r.u32();
        modified = r.u32();
    }
    return r.ok();
}

std::int64_t read_duration(ByteReader& r, std::uint8_t version) {
    if (version == 1) {
        std::uint64_t d = r.u64();
        // All ones means "unknown"; anything else must fit a signed 64-bit value.
        return d > std::uint64_t(std::numeric_limits<std::int64_t>::max()) ? 0 : std::int64_t(d);
    }
    std::uint32_t d = r.u32();
    return d == 0xFFFFFFFFu ? 0 : std::int64_t(d);
}

}  // namespace

OSErr MvhdAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    std::uint8_t version = r.u8();
    r.skip(3);
    if (version > 1) return invalidMovie;
    read_times(r, version, header.creation_time, header.modification_time);
    header.time_scale = r.s32();
    header.duration = read_duration(r, version);
    header.preferred_rate = r.s32();
    header.preferred_volume = r.s16();
    r.skip(10);
    read_matrix(r, header.matrix);
    header.preview_time = r.s32();
    header.preview_duration = r.s32();
    header.poster_time = r.s32();
    header.selection_time = r.s32();
    header.selection_duration = r.s32();
    header.current_time = r.s32();
    header.next_track_id = r.u32();
    if (!r.ok() || header.time_scale <= 0) return invalidMovie;
    return noErr;
}

void MvhdAtom::write(ByteWriter& out) const {
    bool wide = !fits32(header.duration);
    auto at = out.begin_atom(fourcc("mvhd"));
    out.u32(wide ? 0x01000000u : 0u);
    if (wide) {
        out.u64(header.creation_time);
        out.u64(header.modification_time);
    } else {
        out.u32(header.creation_time);
        out.u32(header.modification_time);
    }
    out.u32(std::uint32_t(header.time_scale));
    if (wide) out.u64(std::uint64_t(header.duration));
    else out.u32(std::uint32_t(header.duration));
    out.u32(std::uint32_t(header.preferred_rate));
    out.u16(std::uint16_t(header.preferred_volume));
    out.zeros(10);
    write_matrix(out, header.matrix);
    out.u32(std::uint32_t(header.preview_time));
    out.u32(std::uint32_t(header.preview_duration));
    out.u32(std::uint32_t(header.poster_time));
    out.u32(std::uint32_t(header.selection_time));
    out.u32(std::uint32_t(header.selection_duration));
    out.u32(std::uint32_t(header.current_time));
    out.u32(header.next_track_id);
    out.end_atom(at);
}

OSErr TkhdAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    std::uint8_t version = r.u8();
    flags = (std::uint32_t(r.u8()) << 16) | r.u16();
    if (version > 1) return invalidMovie;
    read_times(r, version, creation_time, modification_time);
    track_id = r.u32();
    r.skip(4);
    duration = read_duration(r, version);
    r.skip(8);
    layer = r.s16();
    alternate_group = r.s16();
    volume = r.s16();
    r.skip(2);
    read_matrix(r, matrix);
    width = r.s32();
    height = r.s32();
    return r.ok() ? noErr : invalidMovie;
}

void TkhdAtom::write(ByteWriter& out) const {
    bool wide = !fits32(duration);
    auto at = out.begin_atom(fourcc("tkhd"));
    out.u32((wide ? 0x01000000u : 0u) | (flags & 0xFFFFFF));
    if (wide) {
        out.u64(creation_time);
        out.u64(modification_time);
    } else {
        out.u32(creation_time);
        out.u32(modification_time);
    }
    out.u32(track_id);
    out.zeros(4);
    if (wide) out.u64(std::uint64_t(duration));
    else out.u32(std::uint32_t(duration));
    out.zeros(8);
    out.u16(std::uint16_t(layer));
    out.u16(std::uint16_t(alternate_group));
    out.u16(std::uint16_t(volume));
    out.zeros(2);
    write_matrix(out, matrix);
    out.u32(std::uint32_t(width));
    out.u32(std::uint32_t(height));
    out.end_atom(at);
}

OSErr MdhdAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    std::uint8_t version = r.u8();
    r.skip(3);
    if (version > 1) return invalidMovie;
    read_times(r, version, creation_time, modification_time);
    time_scale = r.s32();
    duration = read_duration(r, version);
    language = r.u16();
    quality = r.u16();
    if (!r.ok() || time_scale <= 0) return invalidMovie;
    return noErr;
}

void MdhdAtom::write(ByteWriter& out) const {
    bool wide = !fits32(duration);
    auto at = out.begin_atom(fourcc("mdhd"));
    out.u32(wide ? 0x01000000u : 0u);
    if (wide) {
        out.u64(creation_time);
        out.u64(modification_time);
    } else {
        out.u32(creation_time);
        out.u32(modification_time);
    }
    out.u32(std::uint32_t(time_scale));
    if (wide) out.u64(std::uint64_t(duration));
    else out.u32(std::uint32_t(duration));
    out.u16(language);
    out.u16(quality);
    out.end_atom(at);
}

OSErr HdlrAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    r.skip(4);
    component_type = r.u32();
    subtype = r.u32();
    manufacturer = r.u32();
    r.skip(8);
    if (!r.ok()) return invalidMovie;
    // The name: Pascal (QuickTime) when the length byte fits what follows, else
    // a C string (ISO writers) that may lack its terminator.
    std::size_t rest = r.remaining();
    const auto* p = reinterpret_cast<const char*>(r.here());
    name.clear();
    if (rest > 0 && std::size_t(std::uint8_t(p[0])) + 1 <= rest && std::size_t(std::uint8_t(p[0])) + 2 >= rest) {
        name.assign(p + 1, std::uint8_t(p[0]));
    } else if (rest > 0) {
        std::size_t n = 0;
        while (n < rest && p[n] != 0) ++n;
        name.assign(p, n);
    }
    return noErr;
}

void HdlrAtom::write(ByteWriter& out) const {
    auto at = out.begin_atom(fourcc("hdlr"));
    out.u32(0);
    out.u32(component_type);
    out.u32(subtype);
    out.u32(manufacturer);
    out.u32(0);
    out.u32(0);
    std::size_t n = name.size() > 255 ? 255 : name.size();
    out.u8(std::uint8_t(n));
    out.bytes(name.data(), n);
    out.end_atom(at);
}

OSErr VmhdAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    r.skip(4);
    graphics_mode = r.u16();
    for (auto& c : opcolor) c = r.u16();
    return r.ok() ? noErr : invalidMovie;
}

void VmhdAtom::write(ByteWriter& out) const {
    auto at = out.begin_atom(fourcc("vmhd"));
    out.u32(1);  // flags 1: "no lean ahead", as QuickTime writes it
    out.u16(graphics_mode);
    for (auto c : opcolor) out.u16(c);
    out.end_atom(at);
}

OSErr ElstAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    std::uint8_t version = r.u8();
    r.skip(3);
    std::uint32_t count = r.u32();
    if (!r.ok() || version > 1) return invalidMovie;
    std::size_t entry = version == 1 ? 20 : 12;
    if (count > r.remaining() / entry) return invalidMovie;
    edits.clear();
    edits.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        EditEntry e;
        if (version == 1) {
            std::uint64_t d = r.u64();
            if (d > std::uint64_t(std::numeric_limits<std::int64_t>::max())) return invalidMovie;
            e.duration = std::int64_t(d);
            e.media_time = r.s64();
        } else {
            e.duration = r.u32();
            e.media_time = r.s32();
        }
        e.media_rate = r.s32();
        if (e.media_time < -1) return invalidMovie;
        edits.push_back(e);
    }
    return r.ok() ? noErr : invalidMovie;
}

void ElstAtom::write_edts(ByteWriter& out) const {
    bool wide = false;
    for (const auto& e : edits)
        if (!fits32(e.duration) || e.media_time > std::numeric_limits<std::int32_t>::max()) wide = true;
    auto edts = out.begin_atom(fourcc("edts"));
    auto at = out.begin_atom(fourcc("elst"));
    out.u32(wide ? 0x01000000u : 0u);
    out.u32(std::uint32_t(edits.size()));
    for (const auto& e : edits) {
        if (wide) {
            out.u64(std::uint64_t(e.duration));
            out.u64(std::uint64_t(e.media_time));
        } else {
            out.u32(std::uint32_t(e.duration));
            out.u32(std::uint32_t(std::int32_t(e.media_time)));
        }
        out.u32(std::uint32_t(e.media_rate));
    }
    out.end_atom(at);
    out.end_atom(edts);
}

}  // namespace medialayer
