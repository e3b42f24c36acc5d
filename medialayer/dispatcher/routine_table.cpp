#include "medialayer/dispatcher/routine_table.h"

#include <algorithm>
#include <array>
#include <type_traits>

#include "medialayer/dispatcher/routines.h"
#include "quicktime/qt_calls.h"
#include "quicktime/qt_received_call.h"

namespace medialayer::dispatch {
namespace {

constexpr auto error_code = Reports::error_code;
constexpr auto sticky_only = Reports::sticky_only;

// The plug-in's stub and the routine behind its selector take and answer the same
// types, so what the one passes is what the other reads.
#define QT_ROUTINE(name, selector, result, reports, ...)                                                \
    static_assert(std::is_same_v<decltype(&::name), decltype(&routine::name)> &&                        \
                      std::is_same_v<decltype(&routine::name), std::add_pointer_t<QT_SIGNATURE(result, __VA_ARGS__)>>, \
                  #name ": the stub and the routine disagree");
#include "quicktime/qt_routines.inc"

// Sorted by selector for the binary search below.
constexpr auto make_table() {
    std::array table{
#define QT_ROUTINE(name, selector, result, reports, ...) \
    RoutineEntry{selector, qt_receive::call_routine<&routine::name>, reports},
#include "quicktime/qt_routines.inc"
    };
    std::sort(table.begin(), table.end(),
              [](const RoutineEntry& a, const RoutineEntry& b) { return a.selector < b.selector; });
    return table;
}

constexpr auto routines = make_table();

static_assert(std::adjacent_find(routines.begin(), routines.end(),
                                 [](const RoutineEntry& a, const RoutineEntry& b) {
                                     return a.selector == b.selector;
                                 }) == routines.end(),
              "each selector answers one routine");

}  // namespace

const RoutineEntry* find_routine(std::uint32_t selector) {
    auto found = std::lower_bound(routines.begin(), routines.end(), selector,
                                  [](const RoutineEntry& entry, std::uint32_t s) { return entry.selector < s; });
    return found != routines.end() && found->selector == selector ? &*found : nullptr;
}

}  // namespace medialayer::dispatch
