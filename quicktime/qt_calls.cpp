// One stub per QuickTime routine, defined from the one routine list.
#include "quicktime/qt_calls.h"

#include "quicktime/qt_dispatch.h"

#define QT_ROUTINE(name, selector, result, reports, ...)                               \
    result name(QT_PARAMETERS(__VA_ARGS__)) {                                          \
        return qt_call::dispatch_as<result>(selector QT_AFTER_SELECTOR(__VA_ARGS__)); \
    }
#include "quicktime/qt_routines.inc"
