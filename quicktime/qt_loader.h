// Lazy binding of QuickTime.qts on the first QuickTime call.
//
// Silent and retried: while anything fails the hook stays set, calls answer -2095, and
// the next call searches again.
#pragma once

#include <cstdint>

// The bind hook every call stub runs while QuickTime is unbound.
void qt_lazy_bind();

// Resolves "_CallComponentFunctionWithStorage", "_CallComponent" and "theQuickTimeDispatcher",
// in that order, from qt_module. The first missing name stops it; names resolved so far stay.
// When all three resolve the hook is emptied.
bool qt_bind_entry_points();

// Whether qt_module's file version is 7.0.2.0 or later, each part cut to its low 8 bits.
// Decided once and remembered.
bool qt_check_version();

// The file version of path from its version resource; both outputs 0 when it has none.
void read_file_version(const char* path, std::uint32_t* most_significant, std::uint32_t* least_significant);
