#include "movie_serializer.h"

#include <algorithm>
#include <map>
#include <utility>

#include "medialayer/big_endian.h"
#include "data_ref_atom.h"
#include "header_atoms.h"
#include "sample_description_atom.h"
#include "sample_table_atoms.h"
#include "user_data_atom.h"

namespace medialayer {
namespace {

struct SampleTables {
    StsdAtom stsd;
    SttsAtom stts;
    StssAtom stss;
    bool all_sync = true;
    StscAtom stsc;
    StszAtom stsz;
    ChunkOffsetAtom chunks;
};

// Builds the sample tables. A description is stored once per data reference
// its samples use, since the file ties the data reference to the description.
SampleTables build_tables(const MediaModel& media, bool wide_offsets) {
    SampleTables t;
    std::map<std::pair<std::uint32_t, std::uint16_t>, std::uint32_t> entry_of;
    auto entry_for = [&](std::uint32_t description, std::uint16_t data_ref) {
        auto key = std::make_pair(description, data_ref);
        auto it = entry_of.find(key);
        if (it != entry_of.end()) return it->second;
        StsdAtom::Entry e;
        if (description >= 1 && description <= media.descriptions.size()) e.record = media.descriptions[description - 1];
        e.data_ref_index = data_ref;
        t.stsd.entries.push_back(std::move(e));
        std::uint32_t index = std::uint32_t(t.stsd.entries.size());
        entry_of.emplace(key, index);
        return index;
    };

    const auto& samples = media.samples;
    std::vector<std::uint32_t> sample_entry(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        sample_entry[i] = entry_for(samples[i].description_index, samples[i].data_ref_index);
    // Descriptions no sample uses yet keep their place, read through the first reference.
    for (std::uint32_t d = 1; d <= media.descriptions.size(); ++d) {
        bool used = std::any_of(entry_of.begin(), entry_of.end(), [d](const auto& kv) { return kv.first.first == d; });
        if (!used) entry_for(d, 1);
    }

    bool uniform = !samples.empty();
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto& s = samples[i];
        if (t.stts.runs.empty() || t.stts.runs.back().duration != s.duration) t.stts.runs.push_back({0, s.duration});
        ++t.stts.runs.back().count;
        if (s.sync) t.stss.sync_samples.push_back(std::uint32_t(i + 1));
        else t.all_sync = false;
        if (s.size != samples[0].size) uniform = false;

        bool continues = i > 0 && sample_entry[i] == sample_entry[i - 1] &&
                         s.offset == samples[i - 1].offset + samples[i - 1].size;
        if (!continues) {
            t.chunks.offsets.push_back(s.offset);
            std::uint32_t chunk = std::uint32_t(t.chunks.offsets.size());
            t.stsc.runs.push_back({chunk, 0, sample_entry[i]});
        }
        ++t.stsc.runs.back().samples_per_chunk;
    }
    // Merge consecutive chunk runs that agree, as the table is meant to be read.
    std::vector<StscAtom::Run> merged;
    for (const auto& run : t.stsc.runs) {
        if (!merged.empty() && merged.back().samples_per_chunk == run.samples_per_chunk &&
            merged.back().description_index == run.description_index)
            continue;
        merged.push_back(run);
    }
    t.stsc.runs = std::move(merged);

    t.stsz.count = std::uint32_t(samples.size());
    if (uniform && samples[0].size != 0) {
        t.stsz.uniform_size = samples[0].size;
    } else {
        t.stsz.sizes.reserve(samples.size());
        for (const auto& s : samples) t.stsz.sizes.push_back(s.size);
    }
    bool needs_wide = std::any_of(t.chunks.offsets.begin(), t.chunks.offsets.end(),
                                  [](std::uint64_t o) { return o > 0xFFFFFFFFull; });
    t.chunks.wide = wide_offsets || needs_wide;
    return t;
}

void write_media(ByteWriter& w, const MediaModel& media, const std::string& container, bool wide_offsets) {
    auto mdia = w.begin_atom(fourcc("mdia"));
    MdhdAtom mdhd;
    mdhd.creation_time = media.creation_time;
    mdhd.modification_time = media.modification_time;
    mdhd.time_scale = media.time_scale;
    mdhd.duration = media.duration();
    mdhd.language = media.language;
    mdhd.quality = media.quality;
    mdhd.write(w);
    HdlrAtom{fourcc("mhlr"), media.type, fourcc("appl"), media.handler_name}.write(w);

    auto minf = w.begin_atom(fourcc("minf"));
    if (media.type == fourcc("vide")) {
        VmhdAtom vmhd;
        vmhd.graphics_mode = media.graphics_mode;
        std::copy(std::begin(media.opcolor), std::end(media.opcolor), vmhd.opcolor);
        vmhd.write(w);
    }
    HdlrAtom{fourcc("dhlr"), fourcc("alis"), fourcc("appl"), media.data_handler_name}.write(w);
    auto dinf = w.begin_atom(fourcc("dinf"));
    DrefAtom dref;
    dref.refs = media.data_refs;
    dref.write(w, container);
    w.end_atom(dinf);

    SampleTables t = build_tables(media, wide_offsets);
    auto stbl = w.begin_atom(fourcc("stbl"));
    t.stsd.write(w);
    t.stts.write(w);
    if (!t.all_sync) t.stss.write(w);  // no stss: every sample is a sync sample
    t.stsc.write(w);
    t.stsz.write(w);
    t.chunks.write(w);
    w.end_atom(stbl);
    w.end_atom(minf);
    w.end_atom(mdia);
}

void write_track(ByteWriter& w, const TrackModel& track, const MovieModel& movie, const std::string& container,
                 bool wide_offsets) {
    auto trak = w.begin_atom(fourcc("trak"));
    TkhdAtom tkhd;
    tkhd.flags = track.flags;
    tkhd.creation_time = track.creation_time;
    tkhd.modification_time = track.modification_time;
    tkhd.track_id = track.id;
    tkhd.duration = track.duration(movie.header.time_scale);
    tkhd.layer = track.layer;
    tkhd.alternate_group = track.alternate_group;
    tkhd.volume = track.volume;
    tkhd.matrix = track.matrix;
    tkhd.width = track.width;
    tkhd.height = track.height;
    tkhd.write(w);
    if (!track.edits.empty()) ElstAtom{track.edits}.write_edts(w);
    if (track.media) write_media(w, *track.media, container, wide_offsets);
    if (!track.user_data.empty()) UdtaAtom{track.user_data}.write(w);
    w.end_atom(trak);
}

}  // namespace

std::vector<std::uint8_t> file_type_atom() {
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    auto at = w.begin_atom(fourcc("ftyp"));
    w.u32(fourcc("qt  "));
    w.u32(0x20050300);  // minor version: the brand's date, 2005.03.00
    w.u32(fourcc("qt  "));
    w.end_atom(at);
    return out;
}

std::vector<std::uint8_t> serialize_movie(const MovieModel& movie, const std::string& container_path,
                                          bool wide_offsets) {
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    auto moov = w.begin_atom(fourcc("moov"));
    MvhdAtom mvhd;
    mvhd.header = movie.header;
    mvhd.header.duration = movie.duration();
    std::uint32_t next_id = movie.header.next_track_id;
    for (const auto& t : movie.tracks) next_id = std::max(next_id, t->id + 1);
    mvhd.header.next_track_id = next_id;
    mvhd.write(w);
    for (const auto& track : movie.tracks) write_track(w, *track, movie, container_path, wide_offsets);
    if (!movie.user_data.empty()) UdtaAtom{movie.user_data}.write(w);
    w.end_atom(moov);
    if (!w.ok()) out.clear();
    return out;
}

}  // namespace medialayer

