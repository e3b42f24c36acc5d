#include "medialayer/dispatcher/handle_table.h"

#include <utility>

namespace medialayer::dispatch {
namespace {

std::uintptr_t token_of(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

template <typename Handle>
Handle handle_of(std::uintptr_t token) {
    return reinterpret_cast<Handle>(token);
}

}  // namespace

std::uintptr_t HandleTable::next_token() {
    // Aligned like a real block, so callers that test low bits see nothing odd.
    last_token_ += 0x10;
    return last_token_;
}

Movie HandleTable::add_movie(std::unique_ptr<MovieRecord> movie) {
    const auto token = next_token();
    movies_[token].record = std::move(movie);
    return handle_of<Movie>(token);
}

MovieRecord* HandleTable::movie(Movie handle) const {
    auto found = movies_.find(token_of(handle));
    return found == movies_.end() ? nullptr : found->second.record.get();
}

bool HandleTable::dispose_movie(Movie handle) {
    auto found = movies_.find(token_of(handle));
    if (found == movies_.end()) return false;
    const MovieSlot& slot = found->second;
    for (const auto& [track, token] : slot.tracks) parts_.erase(token);
    for (const auto& [track, token] : slot.media) parts_.erase(token);
    if (slot.user_data != 0) parts_.erase(slot.user_data);
    movies_.erase(found);
    return true;
}

std::uintptr_t HandleTable::part_handle(std::uintptr_t movie, Kind kind, TrackModel* track) {
    auto found = movies_.find(movie);
    if (found == movies_.end()) return 0;
    MovieSlot& slot = found->second;
    std::uintptr_t* held = kind == Kind::user_data ? &slot.user_data
                           : kind == Kind::track   ? &slot.tracks[track]
                                                   : &slot.media[track];
    if (*held == 0) {
        *held = next_token();
        parts_.emplace(*held, Part{kind, movie, track});
    }
    return *held;
}

const HandleTable::Part* HandleTable::find_part(const void* handle, Kind kind) const {
    auto found = parts_.find(token_of(handle));
    if (found == parts_.end() || found->second.kind != kind) return nullptr;
    return &found->second;
}

Track HandleTable::track_handle(Movie owner, TrackModel& track) {
    return handle_of<Track>(part_handle(token_of(owner), Kind::track, &track));
}

TrackRef HandleTable::track(Track handle) const {
    const Part* part = find_part(handle, Kind::track);
    if (part == nullptr) return {};
    return {handle_of<Movie>(part->movie), movies_.at(part->movie).record.get(), part->track};
}

Media HandleTable::media_handle(Movie owner, TrackModel& track) {
    if (!track.media) return nullptr;
    return handle_of<Media>(part_handle(token_of(owner), Kind::media, &track));
}

MediaRef HandleTable::media(Media handle) const {
    const Part* part = find_part(handle, Kind::media);
    if (part == nullptr || !part->track->media) return {};
    return {handle_of<Movie>(part->movie), movies_.at(part->movie).record.get(), part->track,
            part->track->media.get()};
}

UserData HandleTable::user_data_handle(Movie owner) {
    return handle_of<UserData>(part_handle(token_of(owner), Kind::user_data, nullptr));
}

MovieRecord* HandleTable::user_data(UserData handle, Movie* owner) const {
    const Part* part = find_part(handle, Kind::user_data);
    if (part == nullptr) return nullptr;
    if (owner != nullptr) *owner = handle_of<Movie>(part->movie);
    return movies_.at(part->movie).record.get();
}

}  // namespace medialayer::dispatch
