// Memory routines and the media layer's own query.
#include "medialayer/dispatcher/dispatcher_state.h"
#include "quicktime/qt_types.h"
#include "medialayer/dispatcher/routines.h"

namespace medialayer::dispatch::routine {

Ptr NewPtr(std::int32_t size) {
    char* block = state().pointers.allocate(size);
    if (block == nullptr) raise_error(memFullErr);
    return block;
}

void DisposePtr(Ptr block) {
    if (block != nullptr && !state().pointers.release(block)) raise_error(memWZErr);
}

// True: the library is pinned in memory when it loads (see pin_module), so it
// stays loaded after a caller drops its own reference.
std::int32_t qtml_reference_query() { return 1; }

}  // namespace medialayer::dispatch::routine
