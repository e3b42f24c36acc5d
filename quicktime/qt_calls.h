// The QuickTime routines the plug-in calls, one stub each, declared from the
// one routine list (qt_routines.inc) with QuickTime's names and signatures.
//
// Each stub runs the bind hook while QuickTime is not yet bound, then hands
// the dispatcher the routine's selector and the caller's arguments untouched.
// Before binding every routine answers -2095 (qtNotBoundErr), converted to
// its result type; a routine that answers a handle or pointer answers none.
#pragma once

#include "quicktime/qt_routine_list.h"

#define QT_ROUTINE(name, selector, result, reports, ...) result name(QT_PARAMETERS(__VA_ARGS__));
#include "quicktime/qt_routines.inc"
