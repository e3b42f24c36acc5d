// The next sample boundary of a movie, as GetMovieNextInterestingTime reports it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "medialayer/src/movie_model.h"

namespace medialayer::dispatch {

struct InterestingTime {
    std::int64_t time = -1;     // movie time scale
    std::int64_t duration = 0;  // of the sample starting there, cut at its edit's end
};

// The first time at or after `time` where a sample of an enabled track starts
// (a sync sample when `sync_only`), among tracks whose media type is in
// `media_types` (all tracks when it is empty); none past the movie's end.
std::optional<InterestingTime> next_sample_start(const MovieModel& movie, std::int64_t time,
                                                 const std::vector<OSType>& media_types, bool sync_only);

}  // namespace medialayer::dispatch
