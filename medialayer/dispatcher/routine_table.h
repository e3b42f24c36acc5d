// Selector to routine.
#pragma once

#include <cstdarg>
#include <cstdint>

namespace medialayer::dispatch {

// How a routine reports failure: with its OSErr result, or (for routines
// that answer a value, a handle or nothing) only through the sticky error
// with a null or zero result.
enum class Reports : std::uint8_t { error_code, sticky_only };

struct RoutineEntry {
    std::uint32_t selector;
    std::intptr_t (*call)(std::va_list* arguments);
    Reports reports;
};

// Null for a selector no routine answers.
const RoutineEntry* find_routine(std::uint32_t selector);

}  // namespace medialayer::dispatch
