// Everything the dispatcher keeps between calls, one instance per process.
//
// Callers reach the dispatcher from one thread, as with QuickTime itself, so
// the state takes no locks.
#pragma once

#include "medialayer/dispatcher/file_refs.h"
#include "medialayer/dispatcher/file_specs.h"
#include "medialayer/dispatcher/handle_table.h"
#include "medialayer/dispatcher/pointer_table.h"
#include "medialayer/dispatcher/sticky_error.h"

namespace medialayer::dispatch {

struct DispatcherState {
    HandleTable handles;
    FileTable files;
    PointerTable pointers;
    DirectoryTable directories;
    StickyError sticky;
};

DispatcherState& state();

// Raises `code` as the sticky error (when none is held) and passes it back.
inline OSErr raise_error(OSErr code) { return state().sticky.note(code); }

}  // namespace medialayer::dispatch
