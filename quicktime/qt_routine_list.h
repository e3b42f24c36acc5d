// Helpers for the views of the routine list (qt_routines.inc): each turns a
// routine's (type, name) parameter pairs into a parameter list, an argument
// list or a type list. Up to eight parameters, as many as a routine has.
#pragma once

#include <cstdint>
#include <type_traits>

#include "quicktime/qt_types.h"

#define QT_PARAMETER_(type, name) type name
#define QT_ARGUMENT_(type, name) name
#define QT_TYPE_(type, name) type

#define QT_EACH_1_(f, p) f p
#define QT_EACH_2_(f, p, ...) f p, QT_EACH_1_(f, __VA_ARGS__)
#define QT_EACH_3_(f, p, ...) f p, QT_EACH_2_(f, __VA_ARGS__)
#define QT_EACH_4_(f, p, ...) f p, QT_EACH_3_(f, __VA_ARGS__)
#define QT_EACH_5_(f, p, ...) f p, QT_EACH_4_(f, __VA_ARGS__)
#define QT_EACH_6_(f, p, ...) f p, QT_EACH_5_(f, __VA_ARGS__)
#define QT_EACH_7_(f, p, ...) f p, QT_EACH_6_(f, __VA_ARGS__)
#define QT_EACH_8_(f, p, ...) f p, QT_EACH_7_(f, __VA_ARGS__)
#define QT_PICK_(_1, _2, _3, _4, _5, _6, _7, _8, picked, ...) picked
#define QT_EACH_(f, ...)                                                                                   \
    __VA_OPT__(QT_PICK_(__VA_ARGS__, QT_EACH_8_, QT_EACH_7_, QT_EACH_6_, QT_EACH_5_, QT_EACH_4_, QT_EACH_3_, \
                        QT_EACH_2_, QT_EACH_1_)(f, __VA_ARGS__))

// (char*, path), (FSSpec*, spec)  ->  char* path, FSSpec* spec
#define QT_PARAMETERS(...) QT_EACH_(QT_PARAMETER_, __VA_ARGS__)
// ->  path, spec   (with a leading comma when there are any, to follow a selector)
#define QT_ARGUMENTS(...) QT_EACH_(QT_ARGUMENT_, __VA_ARGS__)
#define QT_AFTER_SELECTOR(...) __VA_OPT__(, QT_EACH_(QT_ARGUMENT_, __VA_ARGS__))
// ->  char*, FSSpec*
#define QT_TYPES(...) QT_EACH_(QT_TYPE_, __VA_ARGS__)
// The routine's function type: result(char*, FSSpec*, ...)
#define QT_SIGNATURE(result, ...) result(QT_TYPES(__VA_ARGS__))

namespace qt_call {

// The dispatcher's answer as the routine's result type: a handle or pointer as it is,
// a 16- or 32-bit value as the low bits (OSErr is the low half), nothing for void.
template <typename Result>
Result answer_as([[maybe_unused]] std::intptr_t answer) {
    if constexpr (std::is_void_v<Result>)
        return;
    else if constexpr (std::is_pointer_v<Result>)
        return reinterpret_cast<Result>(answer);
    else
        return static_cast<Result>(answer);
}

}  // namespace qt_call
