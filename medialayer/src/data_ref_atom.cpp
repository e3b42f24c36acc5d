#include "data_ref_atom.h"

#include <algorithm>
#include <filesystem>

#include "file_io.h"

namespace medialayer {
namespace {

constexpr std::uint32_t self_reference_flag = 1;
constexpr std::size_t alias_fixed_size = 150;

// Alias extra-info tags this layer writes and reads.
constexpr std::int16_t tag_parent_name = 0;
constexpr std::int16_t tag_absolute_path = 2;
constexpr std::int16_t tag_posix_path = 18;
constexpr std::int16_t tag_end = -1;

std::string beside(const std::string& movie_path, const std::string& name) {
    if (name.empty()) return {};
    std::filesystem::path p(name);
    if (p.is_absolute() || movie_path.empty()) return p.lexically_normal().string();
    return (std::filesystem::path(movie_path).parent_path() / p).lexically_normal().string();
}

void pascal_field(ByteWriter& w, const std::string& s, std::size_t field) {
    std::size_t n = std::min(s.size(), field - 1);
    w.u8(std::uint8_t(n));
    w.bytes(s.data(), n);
    w.zeros(field - 1 - n);
}

void extra(ByteWriter& w, std::int16_t tag, const std::string& value) {
    std::size_t n = std::min<std::size_t>(value.size(), 0xFFFF);
    w.u16(std::uint16_t(tag));
    w.u16(std::uint16_t(n));
    w.bytes(value.data(), n);
    if (n % 2) w.u8(0);
}

}  // namespace

std::vector<std::uint8_t> make_alias_record(const std::string& path) {
    std::filesystem::path p(path);
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    w.u32(0);                 // application-defined type
    w.u16(0);                 // record size, patched below
    w.u16(2);                 // version
    w.u16(0);                 // kind: file
    pascal_field(w, "", 28);  // volume name
    w.u32(0);                 // volume creation date
    w.u16(0);                 // file system
    w.u16(0);                 // drive type
    w.u32(0);                 // parent directory id
    pascal_field(w, p.filename().string(), 64);
    w.u32(0);                 // file number
    w.u32(0);                 // file creation date
    w.u32(0);                 // file type
    w.u32(0);                 // creator
    w.u16(0xFFFF);            // levels from: unknown
    w.u16(0xFFFF);            // levels to: unknown
    w.u32(0);                 // volume attributes
    w.u16(0);                 // volume file system id
    w.zeros(10);
    extra(w, tag_parent_name, p.parent_path().filename().string());
    extra(w, tag_absolute_path, path);
    extra(w, tag_posix_path, path);
    w.u16(std::uint16_t(tag_end));
    w.u16(0);
    std::uint16_t size = std::uint16_t(std::min<std::size_t>(out.size(), 0xFFFF));
    out[4] = std::uint8_t(size >> 8);
    out[5] = std::uint8_t(size);
    return out;
}

std::string path_from_alias_record(const std::uint8_t* data, std::size_t size, const std::string& movie_path) {
    if (size < 114) return {};
    std::string name(reinterpret_cast<const char*>(data + 51), std::min<std::size_t>(data[50], 63));
    std::string absolute, posix;
    if (size >= alias_fixed_size) {
        ByteReader r(data + alias_fixed_size, size - alias_fixed_size);
        while (r.remaining() >= 4) {
            std::int16_t tag = r.s16();
            std::uint16_t length = r.u16();
            if (tag == tag_end) break;
            auto value = r.bytes(length + (length % 2));
            if (!r.ok()) break;
            std::string text(value.begin(), value.begin() + length);
            if (tag == tag_posix_path) posix = text;
            if (tag == tag_absolute_path) absolute = text;
        }
    }
    // A colon-separated HFS path is no use here; a native one is.
    if (!posix.empty()) return beside(movie_path, posix);
    if (!absolute.empty() && absolute.find_first_of("/\\") != std::string::npos) return beside(movie_path, absolute);
    return beside(movie_path, name);
}

OSErr DrefAtom::parse(const std::uint8_t* data, std::size_t size, const std::string& movie_path) {
    ByteReader r(data, size);
    r.skip(4);
    std::uint32_t count = r.u32();
    if (!r.ok() || count > r.remaining() / 12) return invalidMovie;
    refs.clear();
    refs.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::size_t start = r.position();
        std::uint32_t entry_size = r.u32();
        if (!r.ok() || entry_size < 12 || entry_size - 4 > r.remaining()) return invalidMovie;
        r.skip(entry_size - 4);
        ByteReader e(data + start + 4, entry_size - 4);
        DataRef ref;
        ref.type = e.u32();
        std::uint32_t flags = e.u32() & 0xFFFFFF;
        const std::uint8_t* body = e.here();
        std::size_t body_size = e.remaining();
        ref.self = (flags & self_reference_flag) != 0;
        if (ref.self) {
            ref.path = movie_path;
        } else if (ref.type == fourcc("alis")) {
            ref.path = path_from_alias_record(body, body_size, movie_path);
        } else if (ref.type == fourcc("url ")) {
            std::string url(reinterpret_cast<const char*>(body),
                            std::find(body, body + body_size, 0) - body);
            if (url.rfind("file://", 0) == 0) url.erase(0, 7);
            ref.path = beside(movie_path, url);
        }
        refs.push_back(std::move(ref));
    }
    return noErr;
}

void DrefAtom::write(ByteWriter& out, const std::string& container_path) const {
    std::string container = normalized_path(container_path);
    auto at = out.begin_atom(fourcc("dref"));
    out.u32(0);
    out.u32(std::uint32_t(refs.empty() ? 1 : refs.size()));
    if (refs.empty()) {
        auto e = out.begin_atom(fourcc("alis"));
        out.u32(self_reference_flag);
        out.end_atom(e);
    }
    for (const auto& ref : refs) {
        bool self = ref.path.empty() || normalized_path(ref.path) == container;
        if (self) {
            auto e = out.begin_atom(ref.type == fourcc("url ") ? ref.type : fourcc("alis"));
            out.u32(self_reference_flag);
            out.end_atom(e);
        } else {
            auto e = out.begin_atom(fourcc("alis"));
            out.u32(0);
            out.bytes(make_alias_record(normalized_path(ref.path)));
            out.end_atom(e);
        }
    }
    out.end_atom(at);
}

}  // namespace medialayer
