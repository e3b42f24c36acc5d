// QuickTime.qts loaded the way the plug-in loads it (dlopen / LoadLibraryA),
// with one typed call per routine that hands the dispatcher the selector and
// the arguments exactly as the plug-in's call stubs do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "medialayer/test_control.h"
#include "quicktime/qt_routine_list.h"
#include "quicktime/qt_selectors.h"

namespace qts_test {

using Dispatcher = std::intptr_t (*)(std::uint32_t selector, ...);

struct QtsLibrary {
    void* module = nullptr;
    Dispatcher dispatcher = nullptr;
    void (*fault_reset)() = nullptr;
    void (*fault_on_call)(std::uint32_t, std::int16_t) = nullptr;
    void (*fault_on_selector)(std::uint32_t, std::int16_t, std::uint32_t) = nullptr;
    void (*fault_on_write)(std::uint64_t, std::int16_t) = nullptr;
    void (*get_live_counts)(medialayer_live_counts*) = nullptr;
    std::uint32_t (*call_count)() = nullptr;
    std::string error;  // why loading failed

    // Loaded once per process; check `error` before use.
    static QtsLibrary& get();
    medialayer_live_counts live_counts() const;
};

// Where the build put the library, as the platform's loader wants it.
std::string library_path();
// Resolves an exported name of the loaded library; null when absent.
void* find_export(const char* name);

// When set, the selector of every call made through qt:: is appended to it.
inline std::vector<std::uint32_t>* call_log = nullptr;

namespace qt {

template <typename... A>
std::intptr_t call(std::uint32_t selector, A... arguments) {
    if (call_log != nullptr) call_log->push_back(selector);
    return QtsLibrary::get().dispatcher(selector, arguments...);
}

// One typed call per routine, from the one routine list.
#define QT_ROUTINE(name, selector, result, reports, ...)                                       \
    inline result name(QT_PARAMETERS(__VA_ARGS__)) {                                           \
        return qt_call::answer_as<result>(call(selector QT_AFTER_SELECTOR(__VA_ARGS__))); \
    }
#include "quicktime/qt_routines.inc"

}  // namespace qt
}  // namespace qts_test
