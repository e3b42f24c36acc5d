// Turns the frame movie into the user's self-contained object movie file.
#pragma once

#include "quicktime/qt_types.h"

// Assembles the object movie into an intermediate file beside `output` (see
// choose_intermediate_file; `output_path` is the path `output` came from),
// flattens it into `output` as one data fork with the movie ahead of its media
// data, and deletes the intermediate file whatever happened. Returns noErr or
// the code of the first failing step up to the reload of the intermediate
// file; a failing flatten is not reported (the media layer's flatten leaves an
// older output file in place when it fails).
OSErr flatten_object_movie(const FSSpec* source, const FSSpec* output, const char* output_path);
