// Movie, Track, Media and UserData handles.
//
// A handle is a token, never an address: the table looks every one up before
// use, so a stale handle, a handle of the wrong kind or a foreign pointer
// finds nothing instead of memory. Tokens are never reused.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "medialayer/src/movie_model.h"
#include "quicktime/qt_types.h"

namespace medialayer::dispatch {

struct MovieRecord {
    MovieModel model;
    std::int32_t play_hints = 0;
};

struct TrackRef {
    Movie owner = nullptr;
    MovieRecord* movie = nullptr;
    TrackModel* track = nullptr;
    explicit operator bool() const { return track != nullptr; }
};

struct MediaRef {
    Movie owner = nullptr;
    MovieRecord* movie = nullptr;
    TrackModel* track = nullptr;
    MediaModel* media = nullptr;
    explicit operator bool() const { return media != nullptr; }
};

class HandleTable {
public:
    Movie add_movie(std::unique_ptr<MovieRecord> movie);
    MovieRecord* movie(Movie handle) const;
    // Frees the movie; its tracks', media's and user data's handles die with it.
    bool dispose_movie(Movie handle);

    // Each track, media and user data list keeps one handle for its movie's life.
    Track track_handle(Movie owner, TrackModel& track);
    TrackRef track(Track handle) const;
    Media media_handle(Movie owner, TrackModel& track);
    MediaRef media(Media handle) const;
    UserData user_data_handle(Movie owner);
    // The movie a user data list belongs to, and its handle.
    MovieRecord* user_data(UserData handle, Movie* owner = nullptr) const;

    std::size_t movie_count() const { return movies_.size(); }

private:
    enum class Kind : std::uint8_t { track, media, user_data };
    struct Part {
        Kind kind;
        std::uintptr_t movie;
        TrackModel* track;
    };
    struct MovieSlot {
        std::unique_ptr<MovieRecord> record;
        std::unordered_map<const TrackModel*, std::uintptr_t> tracks;
        std::unordered_map<const TrackModel*, std::uintptr_t> media;
        std::uintptr_t user_data = 0;
    };

    std::uintptr_t next_token();
    std::uintptr_t part_handle(std::uintptr_t movie, Kind kind, TrackModel* track);
    const Part* find_part(const void* handle, Kind kind) const;

    std::unordered_map<std::uintptr_t, MovieSlot> movies_;
    std::unordered_map<std::uintptr_t, Part> parts_;
    std::uintptr_t last_token_ = 0x10000;
};

}  // namespace medialayer::dispatch
