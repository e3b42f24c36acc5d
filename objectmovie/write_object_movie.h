// Entry of the object movie writer: turns the recorded frame movie into the
// flattened object movie at the user's path, then beeps.
#pragma once

#include <cstdint>

#include "quicktime/qt_types.h"

// Grid size of the movie being written; set by the entry before assembly.
extern std::int16_t movie_rows;
extern std::int16_t movie_columns;

// Builds the object movie; the outcome is not reported (the beep sounds either way).
void write_object_movie(const char* frame_movie_path, const char* output_path, std::int16_t rows,
                        std::int16_t columns);

// The same, returning the final status for callers that want it.
OSErr write_object_movie_status(const char* frame_movie_path, const char* output_path, std::int16_t rows,
                                std::int16_t columns);
