// MovieWriter: one video track recorded sample by sample. Samples stream into
// a temporary file beside the target ('ftyp', 'wide', 'mdat', then 'moov'),
// which is renamed over the target only once the movie is complete.
#include <memory>

#include "medialayer/big_endian.h"
#include "file_io.h"
#include "medialayer/movie_api.h"
#include "movie_model.h"
#include "movie_serializer.h"

namespace medialayer {
namespace {

constexpr std::uint64_t ftyp_size = 20;
constexpr std::uint64_t wide_offset = ftyp_size;  // 'wide' lets 'mdat' grow a 64-bit size in place
constexpr std::uint64_t mdat_offset = wide_offset + 8;
constexpr std::uint64_t data_offset = mdat_offset + 8;

std::vector<std::uint8_t> file_prologue() {
    std::vector<std::uint8_t> out = file_type_atom();
    ByteWriter w(out);
    w.u32(8);
    w.u32(fourcc("wide"));
    w.u32(0);  // mdat size, patched by finish()
    w.u32(fourcc("mdat"));
    return out;
}

SampleDescriptionRecord description_for(const VideoFormat& format) {
    SampleDescriptionRecord d;
    d.format = format.codec;
    d.vendor = fourcc("appl");
    d.temporal_quality = 0;
    d.spatial_quality = 0x200;  // codecNormalQuality
    d.width = format.width;
    d.height = format.height;
    d.compressor_name = format.codec == codec_jpeg ? "Photo - JPEG" : "None";
    d.depth = std::int16_t(format.depth);
    d.color_table_id = -1;
    return d;
}

class FileMovieWriter final : public MovieWriter {
public:
    FileMovieWriter(std::string path, std::string temp_path, MovieFile file, MovieModel model)
        : path_(std::move(path)), temp_path_(std::move(temp_path)), file_(std::move(file)), model_(std::move(model)) {}

    ~FileMovieWriter() override {
        if (!finished_) abandon();
    }

    OSErr append_sample(const void* data, std::size_t size, std::uint32_t duration) override {
        if (finished_ || failed_) return paramErr;
        if ((data == nullptr && size != 0) || size > 0xFFFFFFFFu) return paramErr;
        MediaModel& media = *model_.tracks.front()->media;
        if (media.samples.size() >= 0xFFFFFFFFu) return memFullErr;
        if (OSErr err = file_.write_at(end_, data, size)) {
            failed_ = true;
            return err;
        }
        media.samples.push_back(SampleEntry{1, end_, std::uint32_t(size), duration, 1, true});
        end_ += size;
        return noErr;
    }

    OSErr finish() override {
        if (finished_ || failed_) return paramErr;
        OSErr err = write_tail();
        if (err == noErr) {
            file_.close();
            err = replace_file(temp_path_, path_);
        }
        if (err != noErr) {
            failed_ = true;
            abandon();
            return err;
        }
        finished_ = true;
        return noErr;
    }

private:
    OSErr write_tail() {
        std::uint64_t mdat_size = end_ - mdat_offset;
        std::uint8_t header[16];
        OSErr err;
        if (mdat_size <= 0xFFFFFFFFu) {
            put_be32(header, std::uint32_t(mdat_size));
            put_be32(header + 4, fourcc("mdat"));
            err = file_.write_at(mdat_offset, header, 8);
        } else {
            // Past 4 GiB: the 'wide' and 'mdat' headers become one 64-bit 'mdat' header.
            put_be32(header, 1);
            put_be32(header + 4, fourcc("mdat"));
            put_be64(header + 8, end_ - wide_offset);
            err = file_.write_at(wide_offset, header, 16);
        }
        if (err) return err;
        std::vector<std::uint8_t> moov = serialize_movie(model_, path_);
        if (moov.empty()) return memFullErr;
        return file_.write_at(end_, moov.data(), moov.size());
    }

    void abandon() {
        file_.close();
        if (!temp_path_.empty()) remove_file(temp_path_);
        temp_path_.clear();
    }

    std::string path_, temp_path_;
    MovieFile file_;
    MovieModel model_;
    std::uint64_t end_ = data_offset;
    bool finished_ = false, failed_ = false;
};

}  // namespace

OSErr MovieWriter::create(const std::string& path, std::int32_t time_scale, const VideoFormat& format,
                          std::unique_ptr<MovieWriter>& out) {
    out.reset();
    if (path.empty() || time_scale <= 0 || format.width == 0 || format.height == 0 || format.depth != 24 ||
        (format.codec != codec_jpeg && format.codec != codec_raw))
        return paramErr;
    MovieFile file;
    std::string temp_path;
    if (OSErr err = MovieFile::create_temporary_beside(path, file, temp_path)) return err;
    auto prologue = file_prologue();
    if (OSErr err = file.write_at(0, prologue.data(), prologue.size())) {
        file.close();
        remove_file(temp_path);
        return err;
    }
    MovieModel model;
    init_movie(model, path, time_scale);
    TrackModel& track = add_video_track(model, Fixed(format.width) << 16, Fixed(format.height) << 16, 0);
    MediaModel* media = nullptr;
    create_track_media(model, track, fourcc("vide"), time_scale, &media);
    media->descriptions.push_back(description_for(format));
    out = std::make_unique<FileMovieWriter>(path, std::move(temp_path), std::move(file), std::move(model));
    return noErr;
}

}  // namespace medialayer
