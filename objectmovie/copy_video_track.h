// Copies a movie's first video track into another movie as a new track.
#pragma once

#include "quicktime/qt_types.h"

// The new track refers to the source's samples (no recompression) and takes
// the source track's settings, layer and media type; it is enabled. Only the
// first `limit` units of movie time are copied when `limit` is positive,
// otherwise the whole track. Returns paramErr when the source has no video
// track (and then does nothing), else the first error any step raised: the
// steps do not stop at a failure. The new track goes to `new_track` unless
// that is null.
OSErr copy_video_track(Movie source, Movie target, Track* new_track, TimeValue limit = 0);
