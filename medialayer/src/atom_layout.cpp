// read_atom_layout: where each atom of a movie file sits, for tools that show it.
#include <algorithm>

#include "atom_reader.h"
#include "file_io.h"
#include "medialayer/movie_api.h"
#include "movie_model.h"
#include "movie_parser.h"

namespace medialayer {
namespace {

// Containers whose payload is nothing but child atoms. Sample descriptions
// and data reference lists carry a header before their entries and are shown
// as leaves.
constexpr OSType containers[] = {fourcc("moov"), fourcc("trak"), fourcc("mdia"), fourcc("minf"),
                                 fourcc("dinf"), fourcc("stbl"), fourcc("edts"), fourcc("udta"),
                                 fourcc("tref"), fourcc("clip"), fourcc("matt"), fourcc("gmhd")};

bool is_container(OSType type) { return std::find(std::begin(containers), std::end(containers), type) != std::end(containers); }

// Nesting deeper than any movie QuickTime writes is not followed further.
constexpr std::uint32_t max_depth = 16;

OSErr list_children(const std::uint8_t* base, std::uint64_t base_offset, const std::uint8_t* data, std::size_t size,
                    std::uint32_t depth, std::vector<AtomLayout>& out) {
    std::vector<AtomSpan> children;
    if (OSErr err = split_atoms(data, size, children)) return err;
    for (const AtomSpan& child : children) {
        const std::uint64_t offset = base_offset + std::uint64_t(child.payload - base) - child.header_size;
        out.push_back({child.type, offset, child.size + child.header_size, child.header_size == 16, false, depth});
        if (depth < max_depth && is_container(child.type))
            if (OSErr err = list_children(base, base_offset, child.payload, child.size, depth + 1, out)) return err;
    }
    return noErr;
}

}  // namespace

OSErr read_atom_layout(const std::string& path, std::vector<AtomLayout>& out) {
    out.clear();
    MovieFile file;
    std::uint64_t file_size = 0;
    std::vector<FileAtom> atoms;
    if (OSErr err = open_and_scan_atoms(path, file, file_size, atoms)) return err;
    bool movie_seen = false;
    for (const FileAtom& atom : atoms) {
        const bool truncated = atom.size > file_size - atom.offset;
        out.push_back({atom.type, atom.offset, atom.size, atom.header_size == 16, truncated, 0});
        if (atom.type != fourcc("moov") || movie_seen || truncated) continue;
        movie_seen = true;
        const std::uint64_t payload = atom.size - atom.header_size;
        if (payload > max_movie_atom_bytes) return memFullErr;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(payload));
        if (OSErr err = file.read_at(atom.offset + atom.header_size, bytes.data(), bytes.size()))
            return err == eofErr ? invalidMovie : err;
        if (OSErr err = list_children(bytes.data(), atom.offset + atom.header_size, bytes.data(), bytes.size(), 1, out))
            return err;
    }
    return noErr;
}

}  // namespace medialayer
