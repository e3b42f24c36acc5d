#include "objecttool/mac_wrappers.h"

#include <filesystem>

#include "medialayer/big_endian.h"

namespace objecttool {

namespace {

constexpr std::size_t macbinary_header = 128;
constexpr std::uint32_t apple_single_magic = 0x00051600;
constexpr std::uint32_t apple_double_magic = 0x00051607;
constexpr std::uint32_t entry_data_fork = 1;
constexpr std::uint32_t entry_resource_fork = 2;
constexpr std::uint32_t entry_finder_info = 9;

// CRC-16/XMODEM, which MacBinary II and III put over the first 124 bytes.
std::uint16_t macbinary_crc(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= std::uint16_t(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit) crc = std::uint16_t(crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1);
    }
    return crc;
}

bool fits(std::uint64_t offset, std::uint64_t size, std::uint64_t file_size) {
    return offset <= file_size && size <= file_size - offset;
}

std::optional<MacFile> macbinary(const std::vector<std::uint8_t>& h, std::uint64_t file_size, const std::string& path) {
    if (h.size() < macbinary_header || h[0] != 0 || h[74] != 0 || h[82] != 0 || h[1] < 1 || h[1] > 63) return std::nullopt;
    medialayer::ByteReader r(h.data() + 83, 8);
    const std::uint64_t data_size = r.u32(), resource_size = r.u32();
    const std::uint16_t stored_crc = std::uint16_t(h[124] << 8 | h[125]);
    // MacBinary I has no check sum: its zero bytes 99-125 stand in for one.
    bool zeros = true;
    for (std::size_t i = 99; i < 126; ++i) zeros = zeros && h[i] == 0;
    if (!(stored_crc != 0 && stored_crc == macbinary_crc(h.data(), 124)) && !zeros) return std::nullopt;
    const std::uint64_t resource_at = macbinary_header + (data_size + 127) / 128 * 128;
    if (!fits(macbinary_header, data_size, file_size) || !fits(resource_at, resource_size, file_size)) return std::nullopt;
    MacFile file{MacWrapper::macbinary, path, std::nullopt, std::nullopt, 0, 0};
    medialayer::ByteReader finder(h.data() + 65, 8);
    file.file_type = finder.u32();
    file.creator = finder.u32();
    if (data_size) file.data_fork = ForkSpan{macbinary_header, data_size};
    if (resource_size) file.resource_fork = ForkSpan{resource_at, resource_size};
    return file;
}

// "._name" and ".AppleDouble/name" keep the data fork in "name" beside them.
std::string apple_double_data_path(const std::string& path) {
    const std::filesystem::path p(path);
    const std::string name = p.filename().string();
    if (name.rfind("._", 0) == 0) return (p.parent_path() / name.substr(2)).string();
    if (p.parent_path().filename() == ".AppleDouble") return (p.parent_path().parent_path() / name).string();
    return {};
}

std::optional<MacFile> apple_single_or_double(const std::vector<std::uint8_t>& h, std::uint64_t file_size,
                                              const std::string& path) {
    medialayer::ByteReader r(h);
    const std::uint32_t magic = r.u32();
    if (magic != apple_single_magic && magic != apple_double_magic) return std::nullopt;
    r.skip(4 + 16);  // version, filler
    const std::uint16_t count = r.u16();
    MacFile file{magic == apple_single_magic ? MacWrapper::apple_single : MacWrapper::apple_double, path, std::nullopt,
                 std::nullopt, 0, 0};
    for (std::uint16_t i = 0; i < count && r.ok(); ++i) {
        const std::uint32_t id = r.u32(), offset = r.u32(), length = r.u32();
        if (!r.ok() || !fits(offset, length, file_size)) return std::nullopt;
        if (id == entry_data_fork) file.data_fork = ForkSpan{offset, length};
        if (id == entry_resource_fork) file.resource_fork = ForkSpan{offset, length};
        // Finder info starts with the type and creator; the header bytes read hold them when they are early enough.
        if (id == entry_finder_info && length >= 8 && std::uint64_t(offset) + 8 <= h.size()) {
            medialayer::ByteReader finder(h.data() + offset, 8);
            file.file_type = finder.u32();
            file.creator = finder.u32();
        }
    }
    if (!r.ok()) return std::nullopt;
    if (file.wrapper == MacWrapper::apple_double) {
        file.data_path = apple_double_data_path(path);
        std::error_code ec;
        const auto size = file.data_path.empty() ? 0 : std::filesystem::file_size(file.data_path, ec);
        file.data_fork = file.data_path.empty() || ec ? std::nullopt : std::optional<ForkSpan>(ForkSpan{0, size});
    }
    return file;
}

}  // namespace

const char* wrapper_name(MacWrapper wrapper) {
    switch (wrapper) {
    case MacWrapper::macbinary: return "a MacBinary file";
    case MacWrapper::apple_single: return "an AppleSingle file";
    default: return "an AppleDouble file";
    }
}

std::optional<MacFile> recognise_mac_file(const std::vector<std::uint8_t>& head, std::uint64_t file_size,
                                          const std::string& path) {
    if (auto file = apple_single_or_double(head, file_size, path)) return file;
    return macbinary(head, file_size, path);
}

std::optional<std::vector<std::uint8_t>> find_resource(const std::vector<std::uint8_t>& fork, std::uint32_t type) {
    medialayer::ByteReader header(fork);
    const std::uint32_t data_at = header.u32(), map_at = header.u32(), data_size = header.u32(), map_size = header.u32();
    if (!header.ok() || !fits(data_at, data_size, fork.size()) || !fits(map_at, map_size, fork.size())) return std::nullopt;
    const std::uint8_t* map = fork.data() + map_at;
    medialayer::ByteReader m(map, map_size);
    m.skip(24);
    const std::uint16_t types_at = m.u16();
    if (!m.ok() || types_at > map_size) return std::nullopt;
    medialayer::ByteReader types(map + types_at, map_size - types_at);
    const unsigned type_count = unsigned(types.u16()) + 1;
    for (unsigned i = 0; i < type_count && types.ok(); ++i) {
        const std::uint32_t this_type = types.u32();
        types.u16();  // count - 1
        const std::uint16_t refs_at = types.u16();
        if (!types.ok() || this_type != type) continue;
        if (std::size_t(types_at) + refs_at > map_size) return std::nullopt;
        medialayer::ByteReader ref(map + types_at + refs_at, map_size - types_at - refs_at);
        ref.skip(4);  // ID, name offset
        const std::uint32_t at = ref.u32() & 0xFFFFFF;  // attributes in the high byte
        if (!ref.ok() || at > data_size - std::min<std::uint32_t>(data_size, 4) || data_size < 4) return std::nullopt;
        medialayer::ByteReader length(fork.data() + data_at + at, 4);
        const std::uint32_t size = length.u32();
        if (size > data_size - at - 4) return std::nullopt;
        const std::uint8_t* bytes = fork.data() + data_at + at + 4;
        return std::vector<std::uint8_t>(bytes, bytes + size);
    }
    return std::nullopt;
}

}  // namespace objecttool
