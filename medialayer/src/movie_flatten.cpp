// FlattenMovieData: a self-contained copy of a movie, movie atom first, sample
// bytes copied file to file into one media data atom, each run of adjacent
// samples in one call. Written beside the target and renamed over it, so a
// failure never costs the older file.
#include <algorithm>
#include <map>

#include "medialayer/big_endian.h"
#include "file_io.h"
#include "movie_model.h"
#include "movie_serializer.h"

namespace medialayer {
namespace {

struct SourceRange {
    const std::string* path;
    std::uint64_t offset;
    std::uint32_t size;
};

// The flattened movie: same tracks, one self data reference, each distinct
// description once. `sources` lists each sample's bytes in output order.
OSErr build_flat_model(const MovieModel& movie, const std::string& out_path, MovieModel& flat,
                       std::vector<SourceRange>& sources) {
    flat.header = movie.header;
    flat.user_data = movie.user_data;
    flat.file_path = out_path;
    for (const auto& t : movie.tracks) {
        auto track = copy_track_header(*t);
        if (t->media) {
            const MediaModel& from = *t->media;
            auto media = copy_media_header(from);
            media->data_refs.push_back(DataRef{true, fourcc("alis"), out_path});
            std::vector<std::uint32_t> mapped(from.descriptions.size(), 0);
            for (std::size_t d = 0; d < from.descriptions.size(); ++d) {
                auto same = std::find(media->descriptions.begin(), media->descriptions.end(), from.descriptions[d]);
                if (same == media->descriptions.end()) {
                    media->descriptions.push_back(from.descriptions[d]);
                    mapped[d] = std::uint32_t(media->descriptions.size());
                } else {
                    mapped[d] = std::uint32_t(same - media->descriptions.begin() + 1);
                }
            }
            media->samples.reserve(from.samples.size());
            for (const auto& s : from.samples) {
                if (s.data_ref_index == 0 || s.data_ref_index > from.data_refs.size()) return badDataRefIndex;
                if (s.description_index == 0 || s.description_index > from.descriptions.size()) return invalidMedia;
                const std::string& path = from.data_refs[s.data_ref_index - 1].path;
                if (path.empty()) return couldNotResolveDataRef;
                SampleEntry copy = s;
                copy.data_ref_index = 1;
                copy.description_index = mapped[s.description_index - 1];
                media->samples.push_back(copy);
                sources.push_back({&path, s.offset, s.size});
            }
            track->media = std::move(media);
        }
        flat.tracks.push_back(std::move(track));
    }
    return noErr;
}

// Gives every sample its place in the media data, in output order from `base`.
std::uint64_t place_samples(MovieModel& flat, std::uint64_t base) {
    std::uint64_t at = base;
    for (auto& t : flat.tracks) {
        if (!t->media) continue;
        for (auto& s : t->media->samples) {
            s.offset = at;
            at += s.size;
        }
    }
    return at - base;
}

// Runs of samples adjacent in one source file: each is copied in one go.
struct CopyRun {
    const std::string* path;
    std::uint64_t source_offset;
    std::uint64_t output_offset;  // from the start of the media data
    std::uint64_t length;
};

std::vector<CopyRun> copy_runs(const std::vector<SourceRange>& sources) {
    std::vector<CopyRun> runs;
    std::uint64_t at = 0;
    for (const SourceRange& s : sources) {
        CopyRun* last = runs.empty() ? nullptr : &runs.back();
        if (last && *last->path == *s.path && last->source_offset + last->length == s.offset)
            last->length += s.size;
        else
            runs.push_back({s.path, s.offset, at, s.size});
        at += s.size;
    }
    return runs;
}

// The kernel copies file to file fastest when source and destination sit
// alike in its page cache, whose pages on Linux come in runs of up to 64 KiB
// (measured: a copy whose offsets differ by a multiple of 4 KiB but not of
// 64 KiB takes 15 % longer), and file systems that share blocks share only
// whole ones. So the media data of a large movie is placed to keep the largest
// run's source offset within 64 KiB, with a 'free' atom (8 bytes at least)
// before it. Below padding_threshold the copy is too short for the gain to
// show (measured with the flatten benchmark: none at 1-2 MiB, 10-30 % from
// 4 MiB up), and 64 KiB of padding would be most of a small movie, so its data
// follows the movie atom directly.
constexpr std::uint64_t copy_alignment = 64 * 1024;
constexpr std::uint64_t largest_padding = copy_alignment + 7;
constexpr std::uint64_t padding_threshold = 4 * 1024 * 1024;

std::uint64_t padding_for(const std::vector<CopyRun>& runs, std::uint64_t data_size, std::uint64_t data_start_unpadded) {
    if (data_size < padding_threshold) return 0;
    const CopyRun* largest = nullptr;
    for (const CopyRun& run : runs)
        if (!largest || run.length > largest->length) largest = &run;
    const std::uint64_t lands = data_start_unpadded + (largest ? largest->output_offset : 0);
    const std::uint64_t wanted = largest ? largest->source_offset : lands;
    std::uint64_t padding = (wanted - lands) % copy_alignment;  // unsigned wrap-around keeps the residue
    if (padding < 8) padding += copy_alignment;
    return padding;
}

// Opens each source file once.
class SourceFiles {
public:
    OSErr open(const std::string& path, MovieFile*& out) {
        auto it = files_.find(path);
        if (it == files_.end()) {
            MovieFile f;
            if (MovieFile::open_read(path, f) != noErr) return couldNotResolveDataRef;
            it = files_.emplace(path, std::move(f)).first;
        }
        out = &it->second;
        return noErr;
    }

private:
    std::map<std::string, MovieFile> files_;
};

OSErr write_flat_file(MovieFile& out, const std::vector<std::uint8_t>& moov, std::uint64_t padding, bool wide_mdat,
                      std::uint64_t data_size, const std::vector<CopyRun>& runs) {
    std::vector<std::uint8_t> head = file_type_atom();
    head.insert(head.end(), moov.begin(), moov.end());
    ByteWriter w(head);
    if (padding > 0) {
        w.u32(std::uint32_t(padding));
        w.u32(fourcc("free"));
        w.zeros(std::size_t(padding - 8));
    }
    if (wide_mdat) {
        w.u32(1);
        w.u32(fourcc("mdat"));
        w.u64(16 + data_size);
    } else {
        w.u32(std::uint32_t(8 + data_size));
        w.u32(fourcc("mdat"));
    }
    if (OSErr err = out.write_at(0, head.data(), head.size())) return err;
    SourceFiles sources;
    for (const CopyRun& run : runs) {
        MovieFile* src = nullptr;
        if (OSErr err = sources.open(*run.path, src)) return err;
        if (run.length > 0)
            if (OSErr err = out.copy_from(*src, run.source_offset, head.size() + run.output_offset, run.length))
                return err;
    }
    return noErr;
}

}  // namespace

OSErr flatten_movie(const MovieModel& movie, const std::string& out_path) {
    if (out_path.empty()) return paramErr;
    MovieModel flat;
    std::vector<SourceRange> sources;
    if (OSErr err = build_flat_model(movie, out_path, flat, sources)) return err;
    const std::vector<CopyRun> runs = copy_runs(sources);

    // Lay out first so the movie atom, which holds the offsets, can go ahead of the data.
    const std::uint64_t ftyp_size = file_type_atom().size();
    std::uint64_t data_size = place_samples(flat, 0);
    std::size_t moov_size = serialize_movie(flat, out_path, false).size();
    bool wide = ftyp_size + moov_size + largest_padding + 8 + data_size > 0xFFFFFFFFull;
    if (wide) moov_size = serialize_movie(flat, out_path, true).size();
    const std::uint64_t mdat_header = wide ? 16 : 8;
    const std::uint64_t padding = padding_for(runs, data_size, ftyp_size + moov_size + mdat_header);
    place_samples(flat, ftyp_size + moov_size + padding + mdat_header);
    std::vector<std::uint8_t> moov = serialize_movie(flat, out_path, wide);
    if (moov.empty()) return memFullErr;
    if (moov.size() != moov_size) return invalidMovie;  // layout must not move under the offsets

    MovieFile out;
    std::string temp_path;
    if (OSErr err = MovieFile::create_temporary_beside(out_path, out, temp_path)) return err;
    OSErr err = write_flat_file(out, moov, padding, wide, data_size, runs);
    out.close();
    if (err == noErr) err = replace_file(temp_path, out_path);
    if (err != noErr) remove_file(temp_path);
    return err;
}

}  // namespace medialayer
