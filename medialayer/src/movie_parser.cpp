// Reading a movie file into a MovieModel. The file is hostile until proven
// otherwise: every count is checked against the bytes that hold it, every
// sample against the file it lives in, before anything is kept.
#include <algorithm>
#include <map>

#include "atom_reader.h"
#include "data_ref_atom.h"
#include "header_atoms.h"
#include "movie_model.h"
#include "movie_parser.h"
#include "sample_description_atom.h"
#include "sample_table_atoms.h"
#include "user_data_atom.h"

namespace medialayer {
namespace {

// More samples than this in one track is refused (days of video at any frame rate).
constexpr std::uint64_t max_samples = 1u << 24;

const AtomSpan* find_child(const std::vector<AtomSpan>& children, OSType type) {
    for (const auto& c : children)
        if (c.type == type) return &c;
    return nullptr;
}

OSErr children_of(const AtomSpan& atom, std::vector<AtomSpan>& out) {
    return split_atoms(atom.payload, atom.size, out);
}

// Sizes of the files the media's data references name, found once per load.
class DataRefSizes {
public:
    // The movie's own media may be a part of its file (a MacBinary data fork).
    void set_size(const std::string& path, std::uint64_t size) { sizes_[path] = size; }
    OSErr size_of(const DataRef& ref, std::uint64_t& out) {
        if (ref.path.empty()) return couldNotResolveDataRef;
        auto it = sizes_.find(ref.path);
        if (it == sizes_.end()) {
            MovieFile f;
            std::uint64_t size = 0;
            if (MovieFile::open_read(ref.path, f) != noErr || f.size(size) != noErr) return couldNotResolveDataRef;
            it = sizes_.emplace(ref.path, size).first;
        }
        out = it->second;
        return noErr;
    }

private:
    std::map<std::string, std::uint64_t> sizes_;
};

struct SampleTableAtoms {
    StsdAtom stsd;
    SttsAtom stts;
    StssAtom stss;
    bool has_stss = false;
    StscAtom stsc;
    StszAtom stsz;
    ChunkOffsetAtom chunks;
};

OSErr parse_sample_table(const AtomSpan& stbl, bool video, SampleTableAtoms& t) {
    std::vector<AtomSpan> kids;
    if (OSErr err = children_of(stbl, kids)) return err;
    const AtomSpan *stsd = find_child(kids, fourcc("stsd")), *stts = find_child(kids, fourcc("stts")),
                   *stsc = find_child(kids, fourcc("stsc")), *stsz = find_child(kids, fourcc("stsz")),
                   *stss = find_child(kids, fourcc("stss"));
    const AtomSpan* stco = nullptr;
    for (const auto& k : kids)
        if (k.type == fourcc("stco") || k.type == fourcc("co64")) {
            stco = &k;
            break;
        }
    if (!stsd || !stts || !stsc || !stsz || !stco) return invalidMovie;
    if (OSErr err = t.stsd.parse(stsd->payload, stsd->size, video)) return err;
    if (OSErr err = t.stts.parse(stts->payload, stts->size)) return err;
    if (OSErr err = t.stsc.parse(stsc->payload, stsc->size)) return err;
    if (OSErr err = t.stsz.parse(stsz->payload, stsz->size)) return err;
    if (OSErr err = t.chunks.parse(stco->payload, stco->size, stco->type == fourcc("co64"))) return err;
    if (stss) {
        t.has_stss = true;
        if (OSErr err = t.stss.parse(stss->payload, stss->size)) return err;
    }
    return noErr;
}

// Expands the run-length tables into one entry per sample, checking that
// they agree with each other and that every sample lies inside its file.
OSErr expand_samples(const SampleTableAtoms& t, MediaModel& media, DataRefSizes& sizes) {
    const std::uint64_t n = t.stsz.count;
    if (n > max_samples) return memFullErr;
    // Every data reference a description names must resolve, whether or not
    // samples use it; the largest file bounds how many samples can exist.
    std::uint64_t largest = 0;
    for (const auto& entry : t.stsd.entries) {
        if (entry.data_ref_index == 0 || entry.data_ref_index > media.data_refs.size()) return badDataRefIndex;
        std::uint64_t s = 0;
        if (OSErr err = sizes.size_of(media.data_refs[entry.data_ref_index - 1], s)) return err;
        largest = std::max(largest, s);
    }
    // Uniform sizes cost no table bytes: bound the count by the data before allocating.
    if (t.stsz.uniform_size != 0 && n > largest / t.stsz.uniform_size) return invalidMovie;

    std::uint64_t timed = 0;
    for (const auto& run : t.stts.runs) {
        timed += run.count;
        if (timed > n) return invalidMovie;
    }
    if (timed != n) return invalidMovie;

    for (std::size_t i = 0; i < t.stsc.runs.size(); ++i) {
        const auto& run = t.stsc.runs[i];
        if (run.first_chunk == 0 || run.samples_per_chunk == 0) return invalidMovie;
        if (i > 0 && run.first_chunk <= t.stsc.runs[i - 1].first_chunk) return invalidMovie;
        if (run.description_index == 0 || run.description_index > t.stsd.entries.size()) return invalidMovie;
    }
    if (n > 0 && (t.stsc.runs.empty() || t.chunks.offsets.empty())) return invalidMovie;

    media.samples.clear();
    media.samples.reserve(std::size_t(n));
    std::size_t run = 0;
    std::uint64_t sample = 0;
    for (std::size_t chunk = 0; chunk < t.chunks.offsets.size() && sample < n; ++chunk) {
        while (run + 1 < t.stsc.runs.size() && t.stsc.runs[run + 1].first_chunk <= chunk + 1) ++run;
        if (t.stsc.runs[run].first_chunk > chunk + 1) return invalidMovie;
        const auto& entry = t.stsd.entries[t.stsc.runs[run].description_index - 1];
        if (entry.data_ref_index == 0 || entry.data_ref_index > media.data_refs.size()) return badDataRefIndex;
        std::uint64_t file_size = 0;
        if (OSErr err = sizes.size_of(media.data_refs[entry.data_ref_index - 1], file_size)) return err;
        std::uint64_t offset = t.chunks.offsets[chunk];
        for (std::uint32_t k = 0; k < t.stsc.runs[run].samples_per_chunk && sample < n; ++k, ++sample) {
            std::uint32_t size = t.stsz.uniform_size ? t.stsz.uniform_size : t.stsz.sizes[std::size_t(sample)];
            if (offset > file_size || size > file_size - offset) return invalidMovie;
            media.samples.push_back(SampleEntry{entry.data_ref_index, offset, size, 0,
                                                t.stsc.runs[run].description_index, !t.has_stss});
            offset += size;
        }
    }
    if (sample != n) return invalidMovie;

    std::size_t i = 0;
    for (const auto& r : t.stts.runs)
        for (std::uint32_t k = 0; k < r.count; ++k) media.samples[i++].duration = r.duration;
    for (auto s : t.stss.sync_samples)
        if (s >= 1 && s <= n) media.samples[s - 1].sync = true;
    return noErr;
}

OSErr parse_media(const AtomSpan& mdia, const std::string& path, DataRefSizes& sizes, MediaModel& media) {
    std::vector<AtomSpan> kids;
    if (OSErr err = children_of(mdia, kids)) return err;
    const AtomSpan *mdhd = find_child(kids, fourcc("mdhd")), *hdlr = find_child(kids, fourcc("hdlr")),
                   *minf = find_child(kids, fourcc("minf"));
    if (!mdhd || !hdlr || !minf) return invalidMovie;
    MdhdAtom h;
    if (OSErr err = h.parse(mdhd->payload, mdhd->size)) return err;
    media.time_scale = h.time_scale;
    media.creation_time = h.creation_time;
    media.modification_time = h.modification_time;
    media.language = h.language;
    media.quality = h.quality;
    HdlrAtom handler;
    if (OSErr err = handler.parse(hdlr->payload, hdlr->size)) return err;
    media.type = handler.subtype;
    media.handler_name = handler.name;

    std::vector<AtomSpan> info;
    if (OSErr err = children_of(*minf, info)) return err;
    if (const AtomSpan* vmhd = find_child(info, fourcc("vmhd"))) {
        VmhdAtom v;
        if (OSErr err = v.parse(vmhd->payload, vmhd->size)) return err;
        media.graphics_mode = v.graphics_mode;
        std::copy(std::begin(v.opcolor), std::end(v.opcolor), media.opcolor);
    }
    if (const AtomSpan* dhlr = find_child(info, fourcc("hdlr"))) {
        HdlrAtom d;
        if (d.parse(dhlr->payload, dhlr->size) == noErr) media.data_handler_name = d.name;
    }
    media.data_refs.clear();
    if (const AtomSpan* dinf = find_child(info, fourcc("dinf"))) {
        std::vector<AtomSpan> refs;
        if (OSErr err = children_of(*dinf, refs)) return err;
        if (const AtomSpan* dref = find_child(refs, fourcc("dref"))) {
            DrefAtom d;
            if (OSErr err = d.parse(dref->payload, dref->size, path)) return err;
            media.data_refs = std::move(d.refs);
        }
    }
    // No data reference at all: the media data is in the movie's own file.
    if (media.data_refs.empty()) media.data_refs.push_back(DataRef{true, fourcc("alis"), path});

    const AtomSpan* stbl = find_child(info, fourcc("stbl"));
    if (!stbl) return invalidMovie;
    SampleTableAtoms tables;
    if (OSErr err = parse_sample_table(*stbl, media.type == fourcc("vide"), tables)) return err;
    media.descriptions.clear();
    for (const auto& e : tables.stsd.entries) media.descriptions.push_back(e.record);
    return expand_samples(tables, media, sizes);
}

OSErr parse_track(const AtomSpan& trak, const std::string& path, DataRefSizes& sizes, TrackModel& track) {
    std::vector<AtomSpan> kids;
    if (OSErr err = children_of(trak, kids)) return err;
    const AtomSpan* tkhd = find_child(kids, fourcc("tkhd"));
    if (!tkhd) return invalidMovie;
    TkhdAtom h;
    if (OSErr err = h.parse(tkhd->payload, tkhd->size)) return err;
    if (h.track_id == 0) return invalidMovie;
    track.id = h.track_id;
    track.flags = h.flags;
    track.creation_time = h.creation_time;
    track.modification_time = h.modification_time;
    track.layer = h.layer;
    track.alternate_group = h.alternate_group;
    track.volume = h.volume;
    track.matrix = h.matrix;
    track.width = h.width;
    track.height = h.height;
    if (const AtomSpan* edts = find_child(kids, fourcc("edts"))) {
        std::vector<AtomSpan> e;
        if (OSErr err = children_of(*edts, e)) return err;
        if (const AtomSpan* elst = find_child(e, fourcc("elst"))) {
            ElstAtom list;
            if (OSErr err = list.parse(elst->payload, elst->size)) return err;
            track.edits = std::move(list.edits);
        }
    }
    if (const AtomSpan* mdia = find_child(kids, fourcc("mdia"))) {
        track.media = std::make_unique<MediaModel>();
        if (OSErr err = parse_media(*mdia, path, sizes, *track.media)) return err;
    }
    if (const AtomSpan* udta = find_child(kids, fourcc("udta"))) {
        UdtaAtom u;
        if (u.parse(udta->payload, udta->size) == noErr) track.user_data = std::move(u.items);
    }
    if (const AtomSpan* tref = find_child(kids, fourcc("tref"))) {
        // Each child: a role and the IDs of the tracks that fill it.
        std::vector<AtomSpan> roles;
        if (OSErr err = children_of(*tref, roles)) return err;
        for (const auto& role : roles) {
            TrackReference ref{role.type, {}};
            ByteReader r(role.payload, role.size);
            while (r.remaining() >= 4) ref.track_ids.push_back(r.u32());
            track.references.push_back(std::move(ref));
        }
    }
    return noErr;
}

OSErr parse_movie(const std::uint8_t* data, std::size_t size, const std::string& path, DataRefSizes& sizes,
                  MovieModel& out) {
    std::vector<AtomSpan> kids;
    if (OSErr err = split_atoms(data, size, kids)) return err;
    const AtomSpan* mvhd = find_child(kids, fourcc("mvhd"));
    if (!mvhd) return invalidMovie;
    MovieModel movie;
    MvhdAtom h;
    if (OSErr err = h.parse(mvhd->payload, mvhd->size)) return err;
    movie.header = h.header;
    movie.file_path = path;
    for (const auto& kid : kids) {
        if (kid.type != fourcc("trak")) continue;
        auto track = std::make_unique<TrackModel>();
        if (OSErr err = parse_track(kid, path, sizes, *track)) return err;
        if (movie.track_by_id(track->id)) return invalidMovie;
        if (!track->checked_duration(movie.header.time_scale)) return invalidMovie;
        movie.tracks.push_back(std::move(track));
    }
    if (const AtomSpan* udta = find_child(kids, fourcc("udta"))) {
        UdtaAtom u;
        if (OSErr err = u.parse(udta->payload, udta->size)) return err;
        movie.user_data = std::move(u.items);
    }
    out = std::move(movie);
    return noErr;
}

}  // namespace

OSErr parse_movie_atom(const std::uint8_t* data, std::size_t size, const std::string& path, MovieModel& out) {
    DataRefSizes sizes;
    return parse_movie(data, size, path, sizes, out);
}

OSErr load_movie_file(const std::string& path, MovieModel& out) {
    MovieFile file;
    std::uint64_t file_size = 0;
    std::vector<FileAtom> atoms;
    if (OSErr err = open_and_scan_atoms(path, file, file_size, atoms)) return err;
    for (const auto& atom : atoms) {
        if (atom.type != fourcc("moov")) continue;
        if (atom.size > file_size - atom.offset) return invalidMovie;  // truncated
        std::uint64_t payload = atom.size - atom.header_size;
        if (payload > max_movie_atom_bytes) return memFullErr;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(payload));
        if (OSErr err = file.read_at(atom.offset + atom.header_size, bytes.data(), bytes.size()))
            return err == eofErr ? invalidMovie : err;
        return parse_movie_atom(bytes.data(), bytes.size(), normalized_path(path), out);
    }
    return invalidMovie;
}

OSErr load_movie_at(const std::string& path, const MovieLocation& where, MovieModel& out) {
    MovieFile file;
    std::uint64_t file_size = 0;
    if (OSErr err = MovieFile::open_read(path, file)) return err;
    if (OSErr err = file.size(file_size)) return err;
    if (where.data_offset > file_size || where.data_size > file_size - where.data_offset) return invalidMovie;
    if (where.movie_atom.size() > max_movie_atom_bytes) return memFullErr;
    const std::string own = normalized_path(path);
    DataRefSizes sizes;
    sizes.set_size(own, where.data_size);
    MovieModel movie;
    if (OSErr err = parse_movie(where.movie_atom.data(), where.movie_atom.size(), own, sizes, movie)) return err;
    // Offsets were checked against the part; the file holds it further in.
    for (auto& track : movie.tracks)
        if (track->media)
            for (auto& sample : track->media->samples)
                if (track->media->data_refs[sample.data_ref_index - 1].path == own) sample.offset += where.data_offset;
    out = std::move(movie);
    return noErr;
}

}  // namespace medialayer
