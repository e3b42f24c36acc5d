// In-memory model of a QuickTime movie, and the file operations on it.
//
// The dispatcher keeps one MovieModel per Movie handle and hands out pointers
// to its TrackModel / MediaModel objects as Track / Media handles: tracks and
// media are held by unique_ptr so those addresses stay valid while tracks are
// added. Every file reader here treats its input as hostile and answers an
// OSErr; nothing trusts a length it read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "medialayer/movie_api.h"
#include "quicktime/qt_types.h"

namespace medialayer {

constexpr OSType fourcc(const char (&code)[5]) { return four_cc(code); }

// 3x3 transform as stored in mvhd/tkhd: a, b, u, c, d, v (16.16) and x, y (16.16), w (2.30).
struct MatrixRecord {
    std::int32_t m[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    bool operator==(const MatrixRecord&) const = default;
};

struct MovieHeader {
    std::uint32_t creation_time = 0;       // seconds since 1904, as stored
    std::uint32_t modification_time = 0;
    TimeScale time_scale = 600;
    std::int64_t duration = 0;             // movie time scale; recomputed from the tracks on write
    Fixed preferred_rate = 0x10000;
    std::int16_t preferred_volume = 0x100; // 8.8
    MatrixRecord matrix;
    TimeValue preview_time = 0;
    TimeValue preview_duration = 0;
    TimeValue poster_time = 0;
    TimeValue selection_time = 0;
    TimeValue selection_duration = 0;
    TimeValue current_time = 0;
    std::uint32_t next_track_id = 1;
};

// One edit: `duration` units of movie time showing media from `media_time`
// (-1: an empty edit) at `media_rate` (16.16).
struct EditEntry {
    std::int64_t duration = 0;
    std::int64_t media_time = 0;
    Fixed media_rate = 0x10000;
};

// Where a media's sample bytes live. `self` marks the file the movie itself
// is stored in (written with the self-reference flag); otherwise `path` names
// another file. Loading resolves self references to the loaded file's path,
// so `path` is always usable for reading.
struct DataRef {
    bool self = true;
    OSType type = fourcc("alis");
    std::string path;
};

// A parsed sample description. Video entries ('vide' media) have the fields
// below; for other media only `format` and `extra` (every byte after the
// data reference index) are kept. `extra` of a video entry holds the
// extension atoms that follow the fixed fields, verbatim.
struct SampleDescriptionRecord {
    OSType format = 0;
    bool video = true;
    std::uint16_t version = 0;
    std::uint16_t revision = 0;
    OSType vendor = fourcc("appl");
    std::uint32_t temporal_quality = 0;
    std::uint32_t spatial_quality = 0x200;  // codecNormalQuality
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    Fixed horizontal_resolution = 0x00480000;  // 72 dpi
    Fixed vertical_resolution = 0x00480000;
    std::uint32_t data_size = 0;
    std::uint16_t frame_count = 1;
    std::string compressor_name;  // up to 31 characters
    std::int16_t depth = 24;
    std::int16_t color_table_id = -1;
    std::vector<std::uint8_t> extra;
    bool operator==(const SampleDescriptionRecord&) const = default;
};

// One sample. Indices are 1-based into MediaModel::data_refs and
// MediaModel::descriptions, as in the file.
struct SampleEntry {
    std::uint16_t data_ref_index = 1;
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t duration = 0;  // media time scale
    std::uint32_t description_index = 1;
    bool sync = true;
};

struct MediaModel {
    OSType type = fourcc("vide");          // handler subtype
    TimeScale time_scale = 600;
    std::uint16_t language = 0;
    std::uint16_t quality = 0;
    std::uint32_t creation_time = 0;
    std::uint32_t modification_time = 0;
    std::string handler_name = "Apple Video Media Handler";
    std::string data_handler_name = "Apple Alias Data Handler";
    std::uint16_t graphics_mode = 0x40;    // vmhd: ditherCopy
    std::uint16_t opcolor[3] = {0x8000, 0x8000, 0x8000};
    std::vector<SampleDescriptionRecord> descriptions;
    std::vector<DataRef> data_refs;        // never empty once created
    std::vector<SampleEntry> samples;

    // Sum of the sample durations, in the media time scale.
    std::int64_t duration() const;
    // Index (0-based) of the sample covering media time `t`, or -1.
    std::int64_t sample_at(std::int64_t t) const;
};

constexpr std::uint32_t track_enabled = 0x1;
constexpr std::uint32_t track_in_movie = 0x2;
constexpr std::uint32_t track_in_preview = 0x4;
constexpr std::uint32_t track_in_poster = 0x8;

struct TrackModel {
    std::uint32_t id = 0;
    std::uint32_t flags = track_enabled | track_in_movie | track_in_preview | track_in_poster;
    std::uint32_t creation_time = 0;
    std::uint32_t modification_time = 0;
    std::int16_t layer = 0;
    std::int16_t alternate_group = 0;
    std::int16_t volume = 0;               // 8.8
    MatrixRecord matrix;
    Fixed width = 0;                       // 16.16
    Fixed height = 0;
    // Empty: the media plays once from time 0 (no edts written by others).
    std::vector<EditEntry> edits;
    std::unique_ptr<MediaModel> media;     // null until the track's media is created
    std::vector<UserDataItem> user_data;   // track udta, kept in order
    std::vector<TrackReference> references;  // 'tref', as read (not written back)

    bool enabled() const { return (flags & track_enabled) != 0; }
    // Track duration in the movie time scale `movie_scale`; nothing when it does not fit
    // in 64 bits (loading refuses such a track, editing never makes one).
    std::optional<std::int64_t> checked_duration(TimeScale movie_scale) const;
    // The same, held at the largest value should it not fit.
    std::int64_t duration(TimeScale movie_scale) const;
};

struct MovieModel {
    MovieHeader header;
    std::vector<std::unique_ptr<TrackModel>> tracks;
    std::vector<UserDataItem> user_data;   // movie udta items, in order, bytes as given
    // The file the movie belongs to: its default data reference, where
    // `self` data references point. Empty for a movie not tied to a file.
    std::string file_path;

    std::int64_t duration() const;         // longest track, movie time scale
    TrackModel* track_by_id(std::uint32_t id);
};

// A track with `src`'s header fields, edits and user data, and no media.
std::unique_ptr<TrackModel> copy_track_header(const TrackModel& src);
// A media with `src`'s header and handler fields, and no descriptions, data references or samples.
std::unique_ptr<MediaModel> copy_media_header(const MediaModel& src);

// ---- Reading ----------------------------------------------------------------

// Parses the first movie ('moov') in the file at `path`: 32/64-bit atom sizes,
// 'co64', 'free'/'wide'/'skip' skipped, udta with or without the trailing zero
// word, Pascal or C handler names. Self data references resolve to `path`;
// alias and url references to the path they carry. Errors: fnfErr (no file),
// invalidMovie (no moov, damaged atoms, tables that disagree, samples past the
// end of their file), couldNotResolveDataRef (an external file that is missing),
// memFullErr (counts beyond what the layer holds). A track whose duration or
// edits do not fit in 64-bit times is an invalidMovie.
OSErr load_movie_file(const std::string& path, MovieModel& out);
// The same for a movie atom found elsewhere, its media in part of `path`.
OSErr load_movie_at(const std::string& path, const MovieLocation& where, MovieModel& out);

// Reads sample bytes through the media's data references, keeping each file
// open between reads.
class SampleSource {
public:
    SampleSource();
    ~SampleSource();
    SampleSource(const SampleSource&) = delete;
    SampleSource& operator=(const SampleSource&) = delete;
    OSErr read(const MediaModel& media, const SampleEntry& sample, std::vector<std::uint8_t>& bytes);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// ---- Writing ----------------------------------------------------------------

// Stores the movie in the data fork of `path` (AddMovieResource with id -1):
// appends a 'moov' to the existing file, replacing a 'moov' that ends the file
// (and blanking an earlier one to 'free'), so a file may hold only a movie
// and no media data: a reference movie. Data references naming `path` are
// written as self references; others as alias records carrying their path.
// Sets movie.file_path to `path` when it was empty.
OSErr write_movie_resource(MovieModel& movie, const std::string& path);

// Writes a self-contained movie to `out_path`: 'ftyp' ('qt  '), 'moov', then
// one 'mdat' with every sample's bytes copied in track by track, a single
// self data reference. Offsets are laid out before anything is written so the
// movie goes first; sample bytes are streamed file to file in contiguous runs
// (copy_file_range on Linux), so memory stays bounded. 32-bit sizes and 'stco'
// unless the file passes 4 GiB ('co64' and a 64-bit 'mdat' size then).
// Atomic: written to a temporary file beside `out_path` and renamed over it
// only when complete; on failure the temporary is removed and an older
// `out_path` is left as it was.
OSErr flatten_movie(const MovieModel& movie, const std::string& out_path);

// ---- Editing (what the movie/track/media routines do) -----------------------

// An empty movie whose default data reference is `file_path`.
void init_movie(MovieModel& movie, const std::string& file_path, TimeScale time_scale = 600);

// NewMovieTrack: a new enabled track with the next track id. Returns the track (owned by `movie`).
TrackModel& add_video_track(MovieModel& movie, Fixed width, Fixed height, std::int16_t volume);

// NewTrackMedia with no data reference: the media's only data reference is the
// movie's own file. Replaces any media the track had. Returns the media (owned by `track`).
// paramErr for a time scale <= 0.
OSErr create_track_media(const MovieModel& movie, TrackModel& track, OSType type, TimeScale time_scale,
                         MediaModel** out = nullptr);

// InsertTrackSegment: puts [src_start, src_start + src_duration) of `src`
// (times in the source movie's time scale) at `dst_start` of `dst` (destination
// movie time scale) by reference: `dst`'s media gains a data reference to the
// file holding the source samples and sample entries pointing into it; no
// sample bytes are copied. Whole samples are referenced and an edit selects the
// exact range. Errors: invalidTrack (no media), invalidTime, invalidDuration,
// badDataRefIndex.
OSErr insert_track_segment(const MovieModel& src_movie, const TrackModel& src, TimeValue src_start,
                           TimeValue src_duration, const MovieModel& dst_movie, TrackModel& dst,
                           TimeValue dst_start);

// CopyTrackSettings: matrix, layer, alternate group, volume, dimensions,
// enabled flags; and the media's language and quality when both have media.
void copy_track_settings(const TrackModel& src, TrackModel& dst);

// The first item of `type` (index 1-based among items of that type, 0 = 1).
const UserDataItem* find_user_data(const std::vector<UserDataItem>& items, OSType type, int index = 1);
// SetUserDataItem: index 0 or 1 replaces the first item of `type`, adding it
// when absent; index n replaces the n-th. userDataItemNotFound past the end.
OSErr set_user_data(std::vector<UserDataItem>& items, OSType type, const void* data, std::size_t size,
                    int index = 0);

// Duration (media time scale) of the sample at media time `t`, or -1 when none.
std::int64_t sample_duration_at(const MediaModel& media, std::int64_t t);
// Maps a track time (movie time scale) to a media time through the edit list; -1 in an empty edit or past the end.
std::int64_t track_to_media_time(const TrackModel& track, TimeScale movie_scale, std::int64_t t);

// ---- Test seam ----------------------------------------------------------------

// When set, every write the layer makes to a movie file first asks this hook
// with the bytes written to that file so far and the size of the next write;
// a non-zero answer fails the write with that code. Tests use it to make a
// flatten fail part way.
using WriteFaultHook = std::function<OSErr(std::uint64_t written_before, std::uint64_t size)>;
void set_write_fault_hook(WriteFaultHook hook);

}  // namespace medialayer
