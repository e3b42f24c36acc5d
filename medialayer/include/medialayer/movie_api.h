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
};

struct TrackInfo {
    std::uint32_t track_id = 0;
    std::uint32_t media_type = 0;  // handler subtype, e.g. 'vide'
    std::int32_t time_scale = 0;
    std::int64_t duration = 0;     // in the media's time scale
    std::uint32_t sample_count = 0;
    std::vector<SampleDescription> descriptions;
    bool self_contained = true;    // every data reference resolves to the movie's own file
};

struct UserDataItem {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

class MovieReader {
public:
    static OSErr open(const std::string& path, std::unique_ptr<MovieReader>& out);
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
};

}  // namespace medialayer
