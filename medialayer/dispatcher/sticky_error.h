// The movies' sticky error: the first error any routine raised since it was last cleared.
#pragma once

#include "quicktime/qt_types.h"

namespace medialayer::dispatch {

class StickyError {
public:
    // Keeps `code` only when no error is held yet; passes it back for `return note(...)`.
    OSErr note(OSErr code) {
        if (held_ == noErr) held_ = code;
        return code;
    }
    void clear() { held_ = noErr; }
    OSErr get() const { return held_; }

private:
    OSErr held_ = noErr;
};

}  // namespace medialayer::dispatch
