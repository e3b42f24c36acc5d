// The shipped library: no test controls, so no call fails by plan and the
// flatten never deletes an older target first.
#include "medialayer/dispatcher/test_hooks.h"

namespace medialayer::dispatch {

OSErr planned_fault(std::uint32_t) { return noErr; }
bool flatten_deletes_first() { return false; }

}  // namespace medialayer::dispatch
