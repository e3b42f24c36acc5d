// The routines behind the dispatcher, declared from the one routine list
// (quicktime/qt_routines.inc) with QuickTime's names and signatures; their
// definitions are in routines_*.cpp.
//
// Each one validates every handle, file reference and record it is given:
// a bad one gives an error code (and the sticky error) or a null result,
// never a dereference. Routines that answer an OSErr leave raising it to the
// entry; the others raise their errors themselves.
#pragma once

#include "quicktime/qt_routine_list.h"

namespace medialayer::dispatch::routine {

#define QT_ROUTINE(name, selector, result, reports, ...) result name(QT_PARAMETERS(__VA_ARGS__));
#include "quicktime/qt_routines.inc"

}  // namespace medialayer::dispatch::routine
