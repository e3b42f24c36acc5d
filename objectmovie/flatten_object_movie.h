// Turns the frame movie into the user's self-contained object movie file.
#pragma once

#include "quicktime/qt_types.h"

// Assembles the object movie into an intermediate file beside `output` (see
// choose_intermediate_file; `output_path` is the path `output` came from),
// flattens it into a second free name beside `output` as one data fork with the
// movie ahead of its media data, and renames that over `output` once complete.
// The intermediate file is deleted whatever happened, and so is a flattened
// file that did not replace the output. Returns noErr, the code of the first
// failing step up to the reload of the intermediate file, or ioErr when the
// flatten gives no movie or its file cannot replace the output (which is then
// left as it was).
OSErr flatten_object_movie(const FSSpec* source, const FSSpec* output, const char* output_path);
