// Builds the object movie, not yet self-contained, from the recorded frame movie.
#pragma once

#include <cstdint>

#include "quicktime/qt_types.h"

// Creates `target` (replacing any file of that name) and gives its movie a
// copy of the first movie_rows × movie_columns frames of `source`'s video
// track, the 'NAVG' object record, the 'ctyp' item 'stna' and the initial
// view's poster, current and preview times, then stores the movie in the
// target's data fork. Returns noErr or the first failing step's code; paramErr
// for a grid under 1 × 1 (before any file is created), memFullErr when the
// record cannot be allocated. Every file and movie it opened is released
// before it returns; the target file stays on disk for the caller to remove.
OSErr assemble_object_movie(const FSSpec* target, const FSSpec* source);
