// The library's entry points: theQuickTimeDispatcher, and the two component
// entries that callers resolve but never call.
#include <cstdarg>
#include <cstdint>
#include <new>

#include "medialayer/dispatcher/dispatcher_state.h"
#include "medialayer/dispatcher/library_export.h"
#include "quicktime/qt_types.h"
#include "medialayer/dispatcher/routine_table.h"
#include "medialayer/dispatcher/test_hooks.h"

using namespace medialayer::dispatch;

namespace {

std::intptr_t dispatch(std::uint32_t selector, std::va_list* arguments) {
    const OSErr fault = planned_fault(selector);
    const RoutineEntry* routine = find_routine(selector);
    if (routine == nullptr) return raise_error(unimpErr);
    if (fault != noErr) {
        raise_error(fault);
        return routine->reports == Reports::error_code ? fault : 0;
    }
    std::intptr_t result = 0;
    try {
        result = routine->call(arguments);
    } catch (const std::bad_alloc&) {
        raise_error(memFullErr);
        return routine->reports == Reports::error_code ? memFullErr : 0;
    } catch (...) {
        raise_error(internalQuickTimeError);
        return routine->reports == Reports::error_code ? internalQuickTimeError : 0;
    }
    if (routine->reports == Reports::error_code) raise_error(static_cast<OSErr>(result));
    return result;
}

}  // namespace

extern "C" {

QTS_EXPORT std::intptr_t theQuickTimeDispatcher(std::uint32_t selector, ...) {
    std::va_list arguments;
    va_start(arguments, selector);
    const std::intptr_t result = dispatch(selector, &arguments);
    va_end(arguments);
    return result;
}

// Component calls: nothing here is a component, so any instance is invalid.
QTS_EXPORT std::intptr_t _CallComponent(...) { return invalidComponentID; }
QTS_EXPORT std::intptr_t _CallComponentFunctionWithStorage(...) { return invalidComponentID; }

}  // extern "C"
