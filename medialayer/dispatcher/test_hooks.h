// What the dispatcher asks of the test controls. The shipped library has none
// and answers "nothing asked" (no_test_controls.cpp); a build configured with
// ORBIVANE_QTS_TEST_CONTROLS=ON answers what a test asked (test_control.cpp).
#pragma once

#include <cstdint>

#include "quicktime/qt_types.h"

namespace medialayer::dispatch {

// Counts one dispatcher call of `selector`; the code it must fail with, or noErr.
OSErr planned_fault(std::uint32_t selector);
// Whether FlattenMovieData deletes an older target before it writes, as QuickTime does.
bool flatten_deletes_first();

}  // namespace medialayer::dispatch
