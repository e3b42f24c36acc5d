#include "sample_table_atoms.h"

namespace medialayer {
namespace {

// Reads version/flags and an entry count that must fit the bytes left.
bool read_count(ByteReader& r, std::size_t entry_size, std::uint32_t& count) {
    r.skip(4);
    count = r.u32();
    return r.ok() && count <= r.remaining() / entry_size;
}

}  // namespace

OSErr SttsAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    std::uint32_t count = 0;
    if (!read_count(r, 8, count)) return invalidMovie;
    runs.resize(count);
    for (auto& run : runs) {
        run.count = r.u32();
        run.duration = r.u32();
    }
    return r.ok() ? noErr : invalidMovie;
}

void SttsAtom::write(ByteWriter& out) const {
    auto at = out.begin_atom(fourcc("stts"));
    out.u32(0);
    out.u32(std::uint32_t(runs.size()));
    for (const auto& run : runs) {
        out.u32(run.count);
        out.u32(run.duration);
    }
    out.end_atom(at);
}

OSErr StssAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    std::uint32_t count = 0;
    if (!read_count(r, 4, count)) return invalidMovie;
    sync_samples.resize(count);
    for (auto& s : sync_samples) s = r.u32();
    return r.ok() ? noErr : invalidMovie;
}

void StssAtom::write(ByteWriter& out) const {
    auto at = out.begin_atom(fourcc("stss"));
    out.u32(0);
    out.u32(std::uint32_t(sync_samples.size()));
    for (auto s : sync_samples) out.u32(s);
    out.end_atom(at);
}

OSErr StscAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    std::uint32_t count = 0;
    if (!read_count(r, 12, count)) return invalidMovie;
    runs.resize(count);
    for (auto& run : runs) {
        run.first_chunk = r.u32();
        run.samples_per_chunk = r.u32();
        run.description_index = r.u32();
    }
    return r.ok() ? noErr : invalidMovie;
}

void StscAtom::write(ByteWriter& out) const {
    auto at = out.begin_atom(fourcc("stsc"));
    out.u32(0);
    out.u32(std::uint32_t(runs.size()));
    for (const auto& run : runs) {
        out.u32(run.first_chunk);
        out.u32(run.samples_per_chunk);
        out.u32(run.description_index);
    }
    out.end_atom(at);
}

OSErr StszAtom::parse(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    r.skip(4);
    uniform_size = r.u32();
    count = r.u32();
    if (!r.ok()) return invalidMovie;
    sizes.clear();
    if (uniform_size == 0) {
        if (count > r.remaining() / 4) return invalidMovie;
        sizes.resize(count);
        for (auto& s : sizes) s = r.u32();
    }
    return r.ok() ? noErr : invalidMovie;
}

void StszAtom::write(ByteWriter& out) const {
    auto at = out.begin_atom(fourcc("stsz"));
    out.u32(0);
    out.u32(uniform_size);
    out.u32(count);
    if (uniform_size == 0)
        for (auto s : sizes) out.u32(s);
    out.end_atom(at);
}

OSErr ChunkOffsetAtom::parse(const std::uint8_t* data, std::size_t size, bool is_co64) {
    wide = is_co64;
    ByteReader r(data, size);
    std::uint32_t count = 0;
    if (!read_count(r, wide ? 8 : 4, count)) return invalidMovie;
    offsets.resize(count);
    for (auto& o : offsets) o = wide ? r.u64() : r.u32();
    return r.ok() ? noErr : invalidMovie;
}

void ChunkOffsetAtom::write(ByteWriter& out) const {
    auto at = out.begin_atom(fourcc(wide ? "co64" : "stco"));
    out.u32(0);
    out.u32(std::uint32_t(offsets.size()));
    for (auto o : offsets) {
        if (wide) out.u64(o);
        else out.u32(std::uint32_t(o));
    }
    out.end_atom(at);
}

}  // namespace medialayer
