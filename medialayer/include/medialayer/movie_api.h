// C++ face of the media layer: write a movie from encoded frames, read one back.
//
// The layer moves bytes; encoding and decoding stay with the caller. Every
// operation reports a QuickTime-style 16-bit error code (0 = success).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace medialayer {

using OSErr = std::int16_t;

constexpr std::uint32_t codec_jpeg = 0x6A706567;  // 'jpeg' Photo-JPEG
constexpr std::uint32_t codec_raw = 0x72617720;   // 'raw ' 24-bit RGB, rows top to bottom

struct VideoFormat {
    std::uint32_t codec = codec_jpeg;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint16_t depth = 24;
};

// Writes one movie with one video track. Nothing appears at the path until
// finish() succeeds: the movie is written beside it and renamed into place,
// so an older file there survives any failure.
class MovieWriter {
public:
    static OSErr create(const std::string& path, std::int32_t time_scale, const VideoFormat& format,
                        std::unique_ptr<MovieWriter>& out);
    virtual ~MovieWriter() = default;
    virtual OSErr append_sample(const void* data, std::size_t size, std::uint32_t duration) = 0;
    virtual OSErr finish() = 0;
};

struct SampleDescription {
    std::uint32_t codec = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint16_t depth = 0;
    std::string compressor_name;
    std::int16_t color_table_id = -1;  // 0: a color table follows in `extra`
    // The bytes after the fields above: for video a color table or codec
    // atoms, for other media everything after the data reference index.
    std::vector<std::uint8_t> extra;
};

// A track's 'tref' entry: the tracks it uses in one role ('imgt', 'obje', ...).
struct TrackReference {
    std::uint32_t type = 0;
    std::vector<std::uint32_t> track_ids;
};

struct TrackInfo {
    std::uint32_t track_id = 0;
    std::uint32_t media_type = 0;  // handler subtype, e.g. 'vide'
    std::int32_t time_scale = 0;
    std::int64_t duration = 0;     // in the media's time scale
    std::uint32_t sample_count = 0;
    std::uint64_t sample_bytes = 0;  // all samples together
    std::vector<SampleDescription> descriptions;
    bool self_contained = true;    // every data reference resolves to the movie's own file
    std::vector<TrackReference> references;
};

struct UserDataItem {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// One atom as it sits in a movie file, for tools that show a file's layout.
struct AtomLayout {
    std::uint32_t type = 0;
    std::uint64_t offset = 0;  // of the atom's header in the file
    std::uint64_t size = 0;    // the whole atom as its size field says, header included
    bool wide_size = false;    // stored with a 64-bit size field
    bool truncated = false;    // runs past the end of the file (only a last top-level atom)
    std::uint32_t depth = 0;   // 0 for top-level atoms
};

// The atoms of the file at `path` in file order: every top-level atom and,
// inside the first movie atom, the containers QuickTime defines down to their
// leaves (user data items included). The file is read as hostile input:
// invalidMovie for a malformed atom header or a child larger than its parent,
// memFullErr for a movie atom larger than the layer reads into memory.
OSErr read_atom_layout(const std::string& path, std::vector<AtomLayout>& out);

// A movie that is not a plain movie file: its movie atom found elsewhere (a
// resource fork, an expanded compressed header) and its media data in a part
// of the file (a MacBinary data fork), where sample offsets count from.
struct MovieLocation {
    std::vector<std::uint8_t> movie_atom;  // the payload of a 'moov' atom
    std::uint64_t data_offset = 0;
    std::uint64_t data_size = 0;
};

class MovieReader {
public:
    static OSErr open(const std::string& path, std::unique_ptr<MovieReader>& out);
    static OSErr open(const std::string& path, const MovieLocation& where, std::unique_ptr<MovieReader>& out);
    virtual ~MovieReader() = default;
    virtual std::int32_t time_scale() const = 0;
    virtual const std::vector<TrackInfo>& tracks() const = 0;
    virtual const std::vector<UserDataItem>& user_data() const = 0;
    // Times stored in the movie header.
    virtual std::int32_t poster_time() const = 0;
    virtual std::int32_t preview_time() const = 0;
    virtual std::int32_t preview_duration() const = 0;
    virtual std::int32_t current_time() const = 0;
    // Bytes and duration of sample `index` (0-based) of track `track` (0-based).
    virtual OSErr read_sample(std::size_t track, std::uint32_t index, std::vector<std::uint8_t>& bytes,
                              std::uint32_t& duration) = 0;
    // The duration of every sample of track `track`, in its media's time scale.
    virtual OSErr sample_durations(std::size_t track, std::vector<std::uint32_t>& out) const = 0;
};

// A new movie made of chosen samples of one track of another movie, in the
// order given. The track's settings, sample descriptions and sample bytes are
// kept as they are (copied, never decoded); the movie's user data and its
// poster, current and preview times are the caller's. The result is
// self-contained, movie atom first, and written as a flatten writes: beside
// `out_path`, renamed over it when complete. paramErr for a track that is not
// there or a sample index past its end.
struct SampleSelection {
    std::size_t track = 0;                  // index into the source's tracks()
    std::vector<std::uint32_t> samples;     // 0-based, in the new movie's order
    std::vector<UserDataItem> user_data;    // the new movie's user data items
    std::int32_t poster_time = 0;           // movie time scale
    std::int32_t current_time = 0;
    std::int32_t preview_time = 0;
    std::int32_t preview_duration = 0;
};
OSErr write_selected_samples(const std::string& source_path, const SampleSelection& selection,
                             const std::string& out_path);

}  // namespace medialayer
