// The version a POSIX media library carries in place of a Windows version resource.
//
// Section ".note.qtversion" holds one standard ELF note: name "QuickTime" (namesz 10,
// padded to 12), type 1, an 8-byte descriptor of dwFileVersionMS then dwFileVersionLS,
// each a little-endian uint32. Only little-endian files (32- or 64-bit) are read. Every
// offset and length in the file is checked against the file's size before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform::elf_version {

struct file_version {
    std::uint32_t most = 0;   // a << 16 | b of a.b.c.d
    std::uint32_t least = 0;  // c << 16 | d
};

inline constexpr char section_name[] = ".note.qtversion";
inline constexpr char note_name[] = "QuickTime";  // 10 bytes with its zero
inline constexpr std::uint32_t note_type = 1;
inline constexpr std::size_t note_size = 12 + 12 + 8;  // header, padded name, descriptor

// Random access to a file's bytes: false when [offset, offset + size) is not all inside it.
class byte_source {
public:
    virtual ~byte_source() = default;
    virtual bool read(std::uint64_t offset, std::size_t size, unsigned char* out) = 0;
    virtual std::uint64_t size() const = 0;
};

inline std::uint64_t little_endian(const unsigned char* bytes, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

// Writes the note in its file form; the block the platform hands out is exactly this.
inline void write_note(const file_version& version, unsigned char* out) {
    const std::uint32_t fields[] = {sizeof note_name, 8, note_type};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t b = 0; b < 4; ++b) out[i * 4 + b] = static_cast<unsigned char>(fields[i] >> (8 * b));
    std::memset(out + 12, 0, 12);
    std::memcpy(out + 12, note_name, sizeof note_name);
    for (std::size_t b = 0; b < 4; ++b) {
        out[24 + b] = static_cast<unsigned char>(version.most >> (8 * b));
        out[28 + b] = static_cast<unsigned char>(version.least >> (8 * b));
    }
}

// Reads a note of note_size bytes written as above; false for anything else.
inline bool parse_note(const unsigned char* note, file_version& out) {
    if (little_endian(note, 4) != sizeof note_name || little_endian(note + 4, 4) != 8 ||
        little_endian(note + 8, 4) != note_type || std::memcmp(note + 12, note_name, sizeof note_name) != 0)
        return false;
    out.most = static_cast<std::uint32_t>(little_endian(note + 24, 4));
    out.least = static_cast<std::uint32_t>(little_endian(note + 28, 4));
    return true;
}

namespace detail {

struct section {
    std::uint32_t name = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// Field positions of the two ELF classes.
struct layout {
    std::size_t header_size, shoff_at, shoff_size, shentsize_at, shnum_at, shstrndx_at;
    std::size_t entry_size, offset_at, size_at, word_size;
};
inline constexpr layout elf32{52, 0x20, 4, 0x2E, 0x30, 0x32, 40, 16, 20, 4};
inline constexpr layout elf64{64, 0x28, 8, 0x3A, 0x3C, 0x3E, 64, 24, 32, 8};

inline bool read_section(byte_source& file, const layout& form, std::uint64_t table, std::uint16_t entry_size,
                         std::uint16_t index, section& out) {
    unsigned char entry[64];
    if (!file.read(table + std::uint64_t(index) * entry_size, form.entry_size, entry)) return false;
    out.name = static_cast<std::uint32_t>(little_endian(entry, 4));
    out.offset = little_endian(entry + form.offset_at, form.word_size);
    out.size = little_endian(entry + form.size_at, form.word_size);
    return true;
}

inline bool has_name(byte_source& file, const section& names, std::uint32_t name_offset) {
    char name[sizeof section_name];
    if (name_offset >= names.size || names.size - name_offset < sizeof name) return false;
    if (!file.read(names.offset + name_offset, sizeof name, reinterpret_cast<unsigned char*>(name))) return false;
    return std::memcmp(name, section_name, sizeof name) == 0;
}

// Walks the notes of the section for the version note.
inline bool find_note(byte_source& file, const section& notes, file_version& out) {
    if (notes.offset > file.size() || notes.size > file.size() - notes.offset) return false;
    std::uint64_t at = 0;
    while (notes.size - at >= 12) {
        unsigned char header[12];
        if (!file.read(notes.offset + at, sizeof header, header)) return false;
        const std::uint64_t name_size = little_endian(header, 4);
        const std::uint64_t desc_size = little_endian(header + 4, 4);
        const std::uint64_t total = 12 + ((name_size + 3) & ~std::uint64_t(3)) + ((desc_size + 3) & ~std::uint64_t(3));
        if (total > notes.size - at) return false;
        if (total == note_size) {
            unsigned char note[note_size];
            if (!file.read(notes.offset + at, note_size, note)) return false;
            if (parse_note(note, out)) return true;
        }
        at += total;
    }
    return false;
}

}  // namespace detail

// Finds the version note; false when the file is not a readable little-endian ELF file
// or has no such note.
inline bool read_version_note(byte_source& file, file_version& out) {
    unsigned char header[64];
    if (!file.read(0, 16, header)) return false;
    if (std::memcmp(header, "\x7f" "ELF", 4) != 0 || header[5] != 1) return false;
    const detail::layout* form = header[4] == 1 ? &detail::elf32 : header[4] == 2 ? &detail::elf64 : nullptr;
    if (!form || !file.read(0, form->header_size, header)) return false;

    const std::uint64_t table = little_endian(header + form->shoff_at, form->shoff_size);
    const auto entry_size = static_cast<std::uint16_t>(little_endian(header + form->shentsize_at, 2));
    const auto count = static_cast<std::uint16_t>(little_endian(header + form->shnum_at, 2));
    const auto names_index = static_cast<std::uint16_t>(little_endian(header + form->shstrndx_at, 2));
    if (table == 0 || table > file.size()) return false;
    if (entry_size < form->entry_size || names_index >= count) return false;

    detail::section names;
    if (!read_section(file, *form, table, entry_size, names_index, names)) return false;
    for (std::uint16_t index = 0; index < count; ++index) {
        detail::section candidate;
        if (!read_section(file, *form, table, entry_size, index, candidate)) return false;
        if (has_name(file, names, candidate.name)) return detail::find_note(file, candidate, out);
    }
    return false;
}

}  // namespace platform::elf_version
