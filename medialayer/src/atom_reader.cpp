#include "atom_reader.h"

#include "medialayer/big_endian.h"

namespace medialayer {

OSErr split_atoms(const std::uint8_t* data, std::size_t size, std::vector<AtomSpan>& out) {
    out.clear();
    std::size_t pos = 0;
    while (size - pos >= 8) {
        std::uint64_t atom_size = get_be32(data + pos);
        OSType type = get_be32(data + pos + 4);
        std::size_t header = 8;
        if (atom_size == 1) {
            if (size - pos < 16) return invalidMovie;
            atom_size = get_be64(data + pos + 8);
            header = 16;
        } else if (atom_size == 0) {
            atom_size = size - pos;
        }
        if (atom_size < header || atom_size > size - pos) return invalidMovie;
        out.push_back({type, data + pos + header, std::size_t(atom_size) - header, std::uint8_t(header)});
        pos += std::size_t(atom_size);
    }
    return noErr;
}

OSErr scan_file_atoms(const MovieFile& file, std::uint64_t file_size, std::vector<FileAtom>& out) {
    out.clear();
    std::uint64_t pos = 0;
    while (file_size - pos >= 8) {
        std::uint8_t header[16];
        if (OSErr err = file.read_at(pos, header, 8)) return err;
        FileAtom atom;
        atom.offset = pos;
        atom.size = get_be32(header);
        atom.type = get_be32(header + 4);
        if (atom.size == 1) {
            if (file_size - pos < 16) return invalidMovie;
            if (OSErr err = file.read_at(pos + 8, header + 8, 8)) return err;
            atom.size = get_be64(header + 8);
            atom.header_size = 16;
        } else if (atom.size == 0) {
            atom.size = file_size - pos;
        }
        if (atom.size < atom.header_size) return invalidMovie;
        out.push_back(atom);
        if (atom.size >= file_size - pos) break;  // last atom (possibly truncated)
        pos += atom.size;
    }
    return noErr;
}

OSErr open_and_scan_atoms(const std::string& path, MovieFile& file, std::uint64_t& file_size,
                          std::vector<FileAtom>& out) {
    if (OSErr err = MovieFile::open_read(path, file)) return err;
    if (OSErr err = file.size(file_size)) return err;
    return scan_file_atoms(file, file_size, out);
}

}  // namespace medialayer
