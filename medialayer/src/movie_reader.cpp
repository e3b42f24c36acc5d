// MovieReader: a loaded movie's tracks, descriptions, user data and samples.
#include "file_io.h"
#include "medialayer/movie_api.h"
#include "movie_model.h"

namespace medialayer {
namespace {

TrackInfo describe(const TrackModel& track, const std::string& movie_path) {
    TrackInfo info;
    info.track_id = track.id;
    info.references = track.references;
    if (!track.media) return info;
    const MediaModel& media = *track.media;
    info.media_type = media.type;
    info.time_scale = media.time_scale;
    info.duration = media.duration();
    info.sample_count = std::uint32_t(media.samples.size());
    for (const auto& d : media.descriptions)
        info.descriptions.push_back(
            {d.format, d.width, d.height, std::uint16_t(d.depth), d.compressor_name, d.color_table_id, d.extra});
    std::string own = normalized_path(movie_path);
    for (const auto& s : media.samples) info.sample_bytes += s.size;
    for (const auto& s : media.samples) {
        const DataRef& ref = media.data_refs[s.data_ref_index - 1];
        if (normalized_path(ref.path) != own) {
            info.self_contained = false;
            break;
        }
    }
    return info;
}

class FileMovieReader final : public MovieReader {
public:
    explicit FileMovieReader(MovieModel model) : model_(std::move(model)) {
        for (const auto& t : model_.tracks) tracks_.push_back(describe(*t, model_.file_path));
    }
    std::int32_t time_scale() const override { return model_.header.time_scale; }
    const std::vector<TrackInfo>& tracks() const override { return tracks_; }
    const std::vector<UserDataItem>& user_data() const override { return model_.user_data; }
    std::int32_t poster_time() const override { return model_.header.poster_time; }
    std::int32_t preview_time() const override { return model_.header.preview_time; }
    std::int32_t preview_duration() const override { return model_.header.preview_duration; }
    std::int32_t current_time() const override { return model_.header.current_time; }

    OSErr read_sample(std::size_t track, std::uint32_t index, std::vector<std::uint8_t>& bytes,
                      std::uint32_t& duration) override {
        if (track >= model_.tracks.size() || !model_.tracks[track]->media) return paramErr;
        const MediaModel& media = *model_.tracks[track]->media;
        if (index >= media.samples.size()) return paramErr;
        const SampleEntry& sample = media.samples[index];
        if (OSErr err = source_.read(media, sample, bytes)) return err;
        duration = sample.duration;
        return noErr;
    }

    OSErr sample_durations(std::size_t track, std::vector<std::uint32_t>& out) const override {
        if (track >= model_.tracks.size() || !model_.tracks[track]->media) return paramErr;
        out.clear();
        for (const auto& s : model_.tracks[track]->media->samples) out.push_back(s.duration);
        return noErr;
    }

private:
    MovieModel model_;
    std::vector<TrackInfo> tracks_;
    SampleSource source_;
};

}  // namespace

OSErr MovieReader::open(const std::string& path, const MovieLocation& where, std::unique_ptr<MovieReader>& out) {
    out.reset();
    MovieModel model;
    if (OSErr err = load_movie_at(path, where, model)) return err;
    out = std::make_unique<FileMovieReader>(std::move(model));
    return noErr;
}

OSErr MovieReader::open(const std::string& path, std::unique_ptr<MovieReader>& out) {
    out.reset();
    MovieModel model;
    if (OSErr err = load_movie_file(path, model)) return err;
    out = std::make_unique<FileMovieReader>(std::move(model));
    return noErr;
}

}  // namespace medialayer
