// Dispatcher selectors of the QuickTime routines the plug-in calls, from the
// one routine list: qt_selector::NewMovieFromFile and so on.
#pragma once

#include <cstdint>

#include "quicktime/qt_routine_list.h"

namespace qt_selector {
#define QT_ROUTINE(name, selector, ...) constexpr std::uint32_t name = selector;
#include "quicktime/qt_routines.inc"
}  // namespace qt_selector
