// How a call stub reaches QuickTime: run the bind hook while unbound, then hand the
// dispatcher the selector and the caller's arguments exactly as they came (the variadic
// call applies the usual promotions, as the dispatcher expects).
#pragma once

#include <cstdint>

#include "quicktime/qt_binding.h"

namespace qt_call {

template <typename... Args>
std::intptr_t dispatch(std::uint32_t selector, Args... args) {
    if (qt_bind_hook) qt_bind_hook();
    return qt_dispatcher(selector, args...);
}

// For routines that answer a handle or a pointer. Unbound, the dispatcher's -2095 would
// read as a non-null garbage handle, so the answer is none instead.
template <typename Handle, typename... Args>
Handle dispatch_for_handle(std::uint32_t selector, Args... args) {
    if (qt_bind_hook) qt_bind_hook();
    const qt_entry dispatcher = qt_dispatcher;
    const std::intptr_t result = dispatcher(selector, args...);
    if (dispatcher == qt_not_bound) return nullptr;
    return reinterpret_cast<Handle>(result);
}

// 16-bit results (OSErr and the like) are the low half of the dispatcher's answer.
inline std::int16_t low_16_bits(std::intptr_t result) { return static_cast<std::int16_t>(result); }
inline std::int32_t low_32_bits(std::intptr_t result) { return static_cast<std::int32_t>(result); }

}  // namespace qt_call
