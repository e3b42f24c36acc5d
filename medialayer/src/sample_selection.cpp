// A new movie from chosen samples of one track of another: the model is built
// to refer to the source's sample bytes, and the flatten copies them in.
#include "medialayer/movie_api.h"
#include "movie_model.h"

namespace medialayer {

OSErr write_selected_samples(const std::string& source_path, const SampleSelection& selection,
                             const std::string& out_path) {
    MovieModel source;
    if (OSErr err = load_movie_file(source_path, source)) return err;
    if (selection.track >= source.tracks.size() || !source.tracks[selection.track]->media) return paramErr;
    const TrackModel& from = *source.tracks[selection.track];
    const MediaModel& from_media = *from.media;

    MovieModel chosen;
    chosen.header = source.header;
    chosen.header.poster_time = selection.poster_time;
    chosen.header.current_time = selection.current_time;
    chosen.header.preview_time = selection.preview_time;
    chosen.header.preview_duration = selection.preview_duration;
    chosen.header.selection_time = chosen.header.selection_duration = 0;
    chosen.user_data = selection.user_data;
    chosen.file_path = source.file_path;

    auto track = copy_track_header(from);
    track->edits.clear();  // the new track plays its samples once from time 0
    auto media = copy_media_header(from_media);
    media->descriptions = from_media.descriptions;
    media->data_refs = from_media.data_refs;
    media->samples.reserve(selection.samples.size());
    for (std::uint32_t index : selection.samples) {
        if (index >= from_media.samples.size()) return paramErr;
        media->samples.push_back(from_media.samples[index]);
    }
    track->media = std::move(media);
    chosen.header.next_track_id = track->id + 1;
    chosen.tracks.push_back(std::move(track));
    return flatten_movie(chosen, out_path);
}

}  // namespace medialayer
