// The object movie writer's sequence of QuickTime calls, made through the
// library with the writer's own arguments and clean-up order: build an
// intermediate reference movie from a frame movie, then reopen it, flatten it
// into the output and delete it.
#pragma once

#include <cstdint>
#include <vector>

#include "quicktime/qt_types.h"

namespace qts_test {

struct AssemblyObservations {
    TimeValue first_sample_duration = -1;  // GetMovieNextInterestingTime at time 0
    TimeValue view_time = -1;              // GetMovieTime of the frame movie
};

// Assembles the intermediate movie at `target` from the frame movie at
// `source`, with `record` as its 'NAVG' item and 'stna' as its 'ctyp' item.
OSErr assemble_reference_movie(const FSSpec& target, const FSSpec& source, const std::vector<std::uint8_t>& record,
                               AssemblyObservations* observed = nullptr);

// Reopens the intermediate movie, flattens it into `output` (flags 73, create
// flags 0x90000000) and deletes the intermediate. `flattened` tells whether
// FlattenMovieData answered a movie.
OSErr flatten_reference_movie(const FSSpec& intermediate, const FSSpec& output, bool* flattened = nullptr);

// The output's FSSpec record with its name's last character changed: 't'
// becomes '@', anything else 't'.
FSSpec intermediate_spec(const FSSpec& output);

}  // namespace qts_test
