// A stand-in for QuickTime's dispatcher that writes down every call the
// writer makes, with its arguments, and answers just enough for the writer
// to go on. The real media layer cannot show the order in which things are
// released; this can. A chosen call may be made to fail.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "quicktime/qt_routine_list.h"

struct RecordingDispatcher {
    // Installs itself as the bound dispatcher; the destructor unbinds.
    RecordingDispatcher();
    ~RecordingDispatcher();
    RecordingDispatcher(const RecordingDispatcher&) = delete;
    RecordingDispatcher& operator=(const RecordingDispatcher&) = delete;

    std::vector<std::string> calls;
    // The occurrence-th call of `fail_selector` answers `fail_code` (or none,
    // for routines that answer a handle).
    std::uint32_t fail_selector = 0;
    std::uint32_t fail_occurrence = 1;
    OSErr fail_code = noErr;
    TimeValue track_duration = 1000;  // of the frame movie's video track
    TimeValue sample_duration = 100;
    TimeValue movie_time = 1500;

    // One answer per routine of the routine list, with the routine's own
    // signature: each writes its call into `line` and answers.
#define QT_ROUTINE(name, selector, result, reports, ...) result name(QT_PARAMETERS(__VA_ARGS__));
#include "quicktime/qt_routines.inc"

    std::ostringstream line;  // the call being answered
    bool failing = false;     // ... is the one chosen to fail
};
