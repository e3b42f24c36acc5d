// The receiving half of a call through theQuickTimeDispatcher: a routine's
// arguments read back from the variadic list that follows the selector.
//
// The stubs pass each routine's own argument types through C's variadic
// promotion: 8- and 16-bit integers and bool arrive as int, 32-bit unsigned
// values as unsigned int, pointers as pointers. Each argument is read back in
// its promoted type and narrowed to the routine's parameter type; the result
// widens to the entry's intptr_t (signed values sign-extended). The media
// layer's dispatcher and the tests' stand-ins for QuickTime read this way.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <tuple>
#include <type_traits>

namespace qt_receive {

template <typename T>
T next_argument(std::va_list* arguments) {
    if constexpr (std::is_pointer_v<T>) {
        return static_cast<T>(va_arg(*arguments, void*));
    } else if constexpr (std::is_same_v<T, bool>) {
        return va_arg(*arguments, int) != 0;
    } else {
        static_assert(std::is_integral_v<T> && sizeof(T) <= sizeof(int), "routines take 32-bit values at most");
        if constexpr (std::is_unsigned_v<T> && sizeof(T) == sizeof(int))
            return va_arg(*arguments, unsigned int);
        else
            return static_cast<T>(va_arg(*arguments, int));
    }
}

template <typename R>
std::intptr_t widen_result(R value) {
    if constexpr (std::is_pointer_v<R>)
        return reinterpret_cast<std::intptr_t>(value);
    else
        return static_cast<std::intptr_t>(value);
}

template <typename Signature>
struct Call;

// Reads the arguments of a routine of type R(A...) and hands them to `f`.
template <typename R, typename... A>
struct Call<R(A...)> {
    template <typename F>
    static std::intptr_t with(F&& f, [[maybe_unused]] std::va_list* arguments) {
        // Braced initialisation reads the arguments strictly left to right.
        std::tuple<A...> values{next_argument<A>(arguments)...};
        if constexpr (std::is_void_v<R>) {
            std::apply(f, values);
            return 0;
        } else {
            return widen_result(std::apply(f, values));
        }
    }
};

template <typename R, typename... A>
std::intptr_t call_with_arguments(R (*routine)(A...), std::va_list* arguments) {
    return Call<R(A...)>::with(routine, arguments);
}

template <auto Routine>
std::intptr_t call_routine(std::va_list* arguments) {
    return call_with_arguments(Routine, arguments);
}

}  // namespace qt_receive
