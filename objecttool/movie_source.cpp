#include "objecttool/movie_source.h"

#include <fstream>

#include "medialayer/big_endian.h"
#include "objecttool/object_movie.h"
#include "objecttool/tool_error.h"
#include "objecttool/zlib_inflate.h"
#include "quicktime/qt_types.h"

namespace objecttool {

namespace {

// As much of a movie header as the media layer reads.
constexpr std::uint64_t max_movie_header = 256u << 20;
// zlib never expands better than about 1032 to 1.
constexpr std::uint64_t max_inflate_ratio = 1032;

struct Atom {
    std::uint32_t type = 0;
    std::uint64_t offset = 0;  // of the payload
    std::uint64_t size = 0;    // of the payload
};

// The atoms of a span of bytes in memory; stops at the first that does not fit.
std::vector<Atom> atoms_in(const std::uint8_t* data, std::size_t size) {
    std::vector<Atom> atoms;
    for (std::size_t at = 0; size - at >= 8;) {
        medialayer::ByteReader r(data + at, size - at);
        std::uint64_t atom_size = r.u32();
        const std::uint32_t type = r.u32();
        std::size_t header = 8;
        if (atom_size == 1) atom_size = r.u64(), header = 16;
        else if (atom_size == 0) atom_size = size - at;
        if (!r.ok() || atom_size < header || atom_size > size - at) break;
        atoms.push_back({type, at + header, atom_size - header});
        at += std::size_t(atom_size);
    }
    return atoms;
}

std::vector<std::uint8_t> bytes_of(const std::vector<std::uint8_t>& data, const Atom& atom) {
    return {data.begin() + std::ptrdiff_t(atom.offset), data.begin() + std::ptrdiff_t(atom.offset + atom.size)};
}

const Atom* find(const std::vector<Atom>& atoms, std::uint32_t type) {
    for (const auto& a : atoms)
        if (a.type == type) return &a;
    return nullptr;
}

class InputFile {
public:
    explicit InputFile(const std::string& path) : in_(path, std::ios::binary) {
        if (in_) in_.seekg(0, std::ios::end), size_ = std::uint64_t(in_.tellg());
    }
    bool ok() const { return bool(in_); }
    std::uint64_t size() const { return size_; }
    std::vector<std::uint8_t> read(std::uint64_t offset, std::uint64_t size) {
        std::vector<std::uint8_t> bytes(std::size_t(std::min(size, offset <= size_ ? size_ - offset : 0)));
        in_.clear();
        in_.seekg(std::streamoff(offset));
        in_.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
        bytes.resize(std::size_t(in_.gcount()));
        return bytes;
    }
    // The payload of the first top-level `type` atom within a span, read header by header.
    std::optional<Atom> find_atom(ForkSpan span, std::uint32_t type) {
        for (std::uint64_t at = 0; span.size - at >= 8;) {
            const std::vector<std::uint8_t> head = read(span.offset + at, 16);
            medialayer::ByteReader r(head);
            std::uint64_t size = r.u32();
            const std::uint32_t this_type = r.u32();
            std::uint64_t header = 8;
            if (size == 1) size = r.u64(), header = 16;
            else if (size == 0) size = span.size - at;
            if (!r.ok() || size < header || size > span.size - at) return std::nullopt;
            if (this_type == type) return Atom{type, span.offset + at + header, size - header};
            at += size;
        }
        return std::nullopt;
    }

private:
    std::ifstream in_;
    std::uint64_t size_ = 0;
};

std::string list(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + ("\"" + names[i] + "\"");
    return text;
}

// A movie header as found: refused when it is a reference movie, expanded when compressed.
std::vector<std::uint8_t> usable_movie_header(std::vector<std::uint8_t> moov, const std::string& path, bool& compressed) {
    const std::vector<Atom> children = atoms_in(moov.data(), moov.size());
    if (const Atom* rmra = find(children, four_cc("rmra"))) {
        const std::vector<std::string> targets = reference_targets(bytes_of(moov, *rmra));
        throw tool_error(path + " is a reference movie: it holds no frames itself" +
                         (targets.empty() ? std::string(" and names no movie.")
                                          : " but points to " + list(targets) + "; open one of those."));
    }
    if (const Atom* cmov = find(children, four_cc("cmov"))) {
        // Compressed headers do not nest; one inside another is a loop, not a movie.
        if (compressed) throw tool_error(path + " is damaged: its compressed movie header holds another.");
        compressed = true;
        auto expanded = expand_movie_header(bytes_of(moov, *cmov), max_movie_header, path);
        if (!expanded) throw tool_error(path + " is damaged: its compressed movie header does not expand.");
        return usable_movie_header(std::move(*expanded), path, compressed);
    }
    return moov;
}

std::unique_ptr<medialayer::MovieReader> open_at(const std::string& path, medialayer::MovieLocation where,
                                                 const std::string& shown_path) {
    std::unique_ptr<medialayer::MovieReader> reader;
    if (medialayer::OSErr err = medialayer::MovieReader::open(path, where, reader))
        throw tool_error(movie_error_sentence(shown_path, err));
    return reader;
}

MovieSource open_mac_file(InputFile& file, const MacFile& mac, const std::string& path) {
    MovieSource source;
    source.wrapper = mac.wrapper;
    const std::string what = path + " is " + wrapper_name(mac.wrapper);
    std::optional<std::vector<std::uint8_t>> moov;
    if (mac.resource_fork) {
        if (mac.resource_fork->size > max_movie_header) throw tool_error(what + " with a resource fork larger than this tool reads.");
        moov = find_resource(file.read(mac.resource_fork->offset, mac.resource_fork->size), four_cc("moov"));
        // The resource holds a whole 'moov' atom; some writers kept only its payload.
        if (moov && moov->size() >= 8 && medialayer::ByteReader(moov->data() + 4, 4).u32() == four_cc("moov"))
            moov->erase(moov->begin(), moov->begin() + 8);
    }
    if (!moov && mac.data_fork && mac.data_path == path)
        if (auto atom = file.find_atom(*mac.data_fork, four_cc("moov")); atom && atom->size <= max_movie_header)
            moov = file.read(atom->offset, atom->size);
    if (!moov)
        throw tool_error(what + (mac.file_type ? " (type '" + fourcc_text(mac.file_type) + "', creator '" +
                                                      fourcc_text(mac.creator) + "')" : std::string()) +
                         " that holds no QuickTime movie.");
    if (!mac.data_fork)
        throw tool_error(what + " holding a movie whose frames are in " +
                         (mac.data_path.empty() ? std::string("its data fork, which was not copied")
                                                : "\"" + mac.data_path + "\", which is missing") + ".");
    medialayer::MovieLocation where{usable_movie_header(std::move(*moov), path, source.compressed_header),
                                    mac.data_fork->offset, mac.data_fork->size};
    source.reader = open_at(mac.data_path, std::move(where), path);
    return source;
}

}  // namespace

std::vector<std::string> reference_targets(const std::vector<std::uint8_t>& rmra) {
    std::vector<std::string> targets;
    for (const Atom& rmda : atoms_in(rmra.data(), rmra.size())) {
        if (rmda.type != four_cc("rmda")) continue;
        const std::vector<std::uint8_t> body = bytes_of(rmra, rmda);
        const std::vector<Atom> parts = atoms_in(body.data(), body.size());
        const Atom* rdrf = find(parts, four_cc("rdrf"));
        if (!rdrf) continue;
        medialayer::ByteReader r(body.data() + rdrf->offset, std::size_t(rdrf->size));
        r.u32();  // flags
        const std::uint32_t type = r.u32(), size = r.u32();
        if (!r.ok() || size > r.remaining()) continue;
        const std::uint8_t* data = r.here();
        std::string name;
        if (type == four_cc("url ")) {
            name.assign(reinterpret_cast<const char*>(data), size);
            name.resize(std::min(name.size(), name.find('\0')));
        } else if (type == four_cc("alis") && size >= 51 && data[50] <= 63 && std::size_t(51) + data[50] <= size) {
            name.assign(reinterpret_cast<const char*>(data + 51), data[50]);  // the alias record's file name
        }
        if (!name.empty()) targets.push_back(name);
    }
    return targets;
}

std::optional<std::vector<std::uint8_t>> expand_movie_header(const std::vector<std::uint8_t>& cmov, std::size_t limit,
                                                             const std::string& path) {
    const std::vector<Atom> children = atoms_in(cmov.data(), cmov.size());
    const Atom *dcom = find(children, four_cc("dcom")), *cmvd = find(children, four_cc("cmvd"));
    if (!dcom || !cmvd || dcom->size < 4 || cmvd->size < 4) return std::nullopt;
    const std::uint32_t method = medialayer::ByteReader(cmov.data() + dcom->offset, 4).u32();
    if (method != four_cc("zlib"))
        throw tool_error(path + " compresses its movie header with '" + fourcc_text(method) + "'; this tool reads zlib.");
    const std::uint32_t expanded_size = medialayer::ByteReader(cmov.data() + cmvd->offset, 4).u32();
    const std::uint64_t stream_size = cmvd->size - 4;
    if (expanded_size < 8 || expanded_size > limit || expanded_size > stream_size * max_inflate_ratio) return std::nullopt;
    auto moov = inflate_exactly(cmov.data() + cmvd->offset + 4, std::size_t(stream_size), expanded_size);
    if (!moov) return std::nullopt;
    const std::vector<Atom> inside = atoms_in(moov->data(), moov->size());
    if (inside.size() != 1 || inside[0].type != four_cc("moov")) return std::nullopt;
    return bytes_of(*moov, inside[0]);
}

MovieSource open_movie_source(const std::string& path) {
    InputFile file(path);
    MovieSource source;
    if (file.ok()) {
        // A plain movie first: a wrapper's header never reads as a chain of atoms holding a 'moov'.
        const auto moov = file.find_atom({0, file.size()}, four_cc("moov"));
        if (!moov)
            if (auto mac = recognise_mac_file(file.read(0, 512), file.size(), path)) return open_mac_file(file, *mac, path);
        if (moov && moov->size <= max_movie_header) {
            const std::vector<std::uint8_t> bytes = file.read(moov->offset, moov->size);
            const std::vector<Atom> children = atoms_in(bytes.data(), bytes.size());
            if (find(children, four_cc("cmov")) || find(children, four_cc("rmra"))) {
                medialayer::MovieLocation where{usable_movie_header(bytes, path, source.compressed_header), 0, file.size()};
                source.reader = open_at(path, std::move(where), path);
                return source;
            }
        }
    }
    if (medialayer::OSErr err = medialayer::MovieReader::open(path, source.reader))
        throw tool_error(movie_error_sentence(path, err));
    return source;
}

}  // namespace objecttool
